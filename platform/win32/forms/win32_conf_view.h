#pragma once

#include "platform/conf_view.h"
#include "platform/win32/forms/win32_form.h"

#include <array>
#include <vector>

namespace kumoden {

// The settings dialog as a Win32 dialog, built afresh for every object
// from its design.
class Win32ConfView final : public ConfView {
public:
    explicit Win32ConfView(const FormDesign& design);

    void setEvents(Events events) override { m_events = std::move(events); }
    std::string text(ConfField field) const override;
    void setText(ConfField field, const std::string& text) override;
    void addPrinter(const std::string& name) override;
    bool applyEnabled() const override;
    void setApplyEnabled(bool enabled) override;
    int tabCount() const override;
    int selectedTab() const override;
    void selectTab(int index) override;
    TwipsBox tabClientArea() const override;
    int pageCount() const override { return static_cast<int>(m_pages.size()); }
    bool pageEnabled(int page) const override;
    void layPages() override;
    void showPage(int page) override;
    void showModal() override { m_form.showModal(); }
    void unload() override { m_form.unload(); }

    // The dialog's window and controls, for tests.
    Win32Form& form() { return m_form; }

private:
    void command(std::string_view control, int code);
    bool keyDown(int keyCode, int shift);
    void raise(const std::function<void()>& event);
    HWND box(ConfField field) const;

    Win32Form m_form;
    Events m_events;
    std::array<HWND, 6> m_boxes{}; // in the order of ConfField
    std::vector<HWND> m_pages;
    HWND m_tabs = nullptr;
    HWND m_cmdApply = nullptr;
};

} // namespace kumoden
