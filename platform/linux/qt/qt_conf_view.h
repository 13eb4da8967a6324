#pragma once

#include "platform/conf_view.h"

#include <QObject>

#include <array>
#include <memory>
#include <vector>

class QComboBox;
class QDialog;
class QFrame;
class QLineEdit;
class QPushButton;
class QTabBar;
class QWidget;

namespace kumoden {

// The settings dialog as Qt widgets, built afresh for every object from its
// design.
class QtConfView final : public QObject, public ConfView {
public:
    explicit QtConfView(const FormDesign& design);
    ~QtConfView() override;

    void setEvents(Events events) override;
    std::string text(ConfField field) const override;
    void setText(ConfField field, const std::string& text) override;
    void addPrinter(const std::string& name) override;
    bool applyEnabled() const override;
    void setApplyEnabled(bool enabled) override;
    int tabCount() const override;
    int selectedTab() const override;
    void selectTab(int index) override;
    TwipsBox tabClientArea() const override;
    int pageCount() const override;
    bool pageEnabled(int page) const override;
    void layPages() override;
    void showPage(int page) override;
    void showModal() override;
    void unload() override;

    // The dialog's window, for windows opened on top of it.
    QDialog& dialog() const;

protected:
    // Sees every key-down meant for the dialog before the focused control.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Form;

    void build(const FormDesign& design);
    // Makes one control of the design; returns the widget that takes the
    // focus for it.
    QWidget* makeControl(const ControlDesign& control, QWidget* parent);
    QWidget* makeTabStrip(const ControlDesign& control, QWidget* parent);
    QWidget* makePrinterBox(const ControlDesign& control, QWidget* parent);
    QWidget* makeButton(const ControlDesign& control, QWidget* parent);
    QLineEdit* lineEdit(ConfField field) const;

    std::unique_ptr<Form> m_form;
    Events m_events;
    QTabBar* m_tabs = nullptr;
    QFrame* m_tabPanel = nullptr;
    std::vector<QFrame*> m_pages;
    std::array<QLineEdit*, 5> m_textBoxes{};
    QComboBox* m_cmbPrint = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdApply = nullptr;
    // The key-down the dialog has heard, until its key comes up again.
    const QEvent* m_keyHeard = nullptr;
    int m_keyHeardCode = 0;
};

} // namespace kumoden
