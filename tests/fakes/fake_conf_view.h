#pragma once

#include "platform/conf_view.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kumoden::fake {

// The settings dialog without windows: controls as plain state, the user's
// actions as methods, and the pages' order on the dialog.
class FakeConfView final : public ConfView {
public:
    void setEvents(Events events) override { m_events = std::move(events); }

    std::string text(ConfField field) const override { return m_texts[index(field)]; }
    void setText(ConfField field, const std::string& text) override
    {
        std::string& current = m_texts[index(field)];
        if (current == text) {
            return;
        }
        current = text;
        if (field != ConfField::cmbPrint) {
            m_events.textChanged(field);
        }
    }
    void addPrinter(const std::string& name) override { printers.push_back(name); }

    bool applyEnabled() const override { return m_applyEnabled; }
    void setApplyEnabled(bool enabled) override { m_applyEnabled = enabled; }

    int tabCount() const override { return 3; }
    int selectedTab() const override { return m_selectedTab; }
    void selectTab(int tab) override
    {
        if (tab == m_selectedTab) {
            return;
        }
        m_selectedTab = tab;
        m_events.tabMainClick();
    }
    TwipsBox tabClientArea() const override { return clientArea; }

    int pageCount() const override { return 3; }
    bool pageEnabled(int page) const override { return m_enabled[static_cast<std::size_t>(page)]; }
    void layPages() override
    {
        m_pages.fill(clientArea);
        m_enabled.fill(true);
        zOrder = {2, 1, 0};
    }
    void showPage(int page) override
    {
        for (int i = 0; i < pageCount(); ++i) {
            m_pages[static_cast<std::size_t>(i)] = clientArea;
            m_pages[static_cast<std::size_t>(i)].left = i == page ? clientArea.left : kPageAwayLeft;
            m_enabled[static_cast<std::size_t>(i)] = i == page;
        }
        std::erase(zOrder, page);
        zOrder.push_back(page);
    }
    // Where a page lies, in the dialog's twips.
    TwipsBox pageBox(int page) const { return m_pages[static_cast<std::size_t>(page)]; }

    void showModal() override
    {
        m_open = true;
        if (whileOpen) {
            whileOpen();
        }
    }
    void unload() override
    {
        m_open = false;
        ++unloads;
    }

    // The user's side.
    void type(ConfField field, const std::string& text)
    {
        if (field == ConfField::cmbPrint) {
            m_texts[index(field)] = text; // typing in the printer box raises nothing
        } else {
            setText(field, text);
        }
    }
    void choosePrinter(std::size_t entry)
    {
        m_texts[index(ConfField::cmbPrint)] = printers.at(entry);
        m_events.cmbPrintClick();
    }
    void clickTab(int tab) { selectTab(tab); }
    void press(int keyCode, int shift) { m_events.keyDown(keyCode, shift); }
    void clickOK() { m_events.cmdOKClick(); }
    void clickCancel() { m_events.cmdCancelClick(); }
    void clickApply()
    {
        if (m_applyEnabled) {
            m_events.cmdApplyClick();
        }
    }
    void clickChkDir() { m_events.cmdChkDirClick(); }
    void clickAcrExeDir() { m_events.cmdAcrExeDirClick(); }
    bool isOpen() const { return m_open; }

    TwipsBox clientArea{165, 525, 5685, 2325};
    std::vector<std::string> printers;
    std::vector<int> zOrder{0, 1, 2}; // bottom first
    std::function<void()> whileOpen;
    int unloads = 0;

private:
    static std::size_t index(ConfField field) { return static_cast<std::size_t>(field); }

    Events m_events;
    std::array<std::string, 6> m_texts;
    bool m_applyEnabled = false; // as built
    int m_selectedTab = 1;
    std::array<TwipsBox, 3> m_pages{{{0, 0, 5535, 2175}, {0, 0, 5535, 2175}, {0, 0, 5535, 2175}}};
    std::array<bool, 3> m_enabled{true, true, true};
    bool m_open = false;
};

} // namespace kumoden::fake
