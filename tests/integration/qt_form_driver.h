#pragma once

// A Qt form for the contract suites: real widgets on the offscreen platform.
#include "tests/contract/form_driver.h"
#include "tests/support/offscreen_app.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <stdexcept>

namespace kumoden::test {

template <typename Driver> class QtFormDriver : public Driver {
public:
    void whileOpen(const std::function<void()>& show, const std::function<void()>& steps) override
    {
        WhileModal(dialog(), show, steps);
    }
    bool shown() const override { return dialog().isVisible(); }
    std::string focusName() const override
    {
        const QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus->objectName().toStdString() : "(none)";
    }
    void focus(std::string_view control) override
    {
        QWidget* widget = stop(control);
        widget->setFocus(Qt::TabFocusReason);
        const auto* box = qobject_cast<QComboBox*>(widget);
        if (auto* edit = box != nullptr ? box->lineEdit() : qobject_cast<QLineEdit*>(widget)) {
            edit->selectAll();
        }
    }
    void press(Key key, int modifiers) override
    {
        const Qt::Key codes[] = {(modifiers & kShiftMask) != 0 ? Qt::Key_Backtab : Qt::Key_Tab,
                                 Qt::Key_Return, Qt::Key_Escape, Qt::Key_Down};
        Qt::KeyboardModifiers held;
        held.setFlag(Qt::ShiftModifier, (modifiers & kShiftMask) != 0);
        held.setFlag(Qt::ControlModifier, (modifiers & kCtrlMask) != 0);
        held.setFlag(Qt::AltModifier, (modifiers & kAltMask) != 0);
        QTest::keyClick(QApplication::focusWidget(), codes[static_cast<int>(key)], held);
    }
    void type(const std::string& text) override
    {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(text));
    }
    void click(std::string_view button) override { QTest::mouseClick(widget(button), Qt::LeftButton); }
    void closeWindow() override { dialog().close(); }

    using Driver::pixels;
    int pixels(int twips) const override { return twips / 15; }
    std::string title() const override { return dialog().windowTitle().toStdString(); }
    PixelBox clientSize() const override { return {0, 0, dialog().width(), dialog().height()}; }
    PixelBox box(std::string_view control) const override
    {
        const QRect r = widget(control)->geometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    bool inSight(std::string_view control) const override
    {
        const QWidget* w = widget(control);
        return w->isVisibleTo(&dialog()) && w->parentWidget()->rect().intersects(w->geometry());
    }
    // Its own state, not its page's.
    bool enabled(std::string_view control) const override
    {
        return !widget(control)->testAttribute(Qt::WA_ForceDisabled);
    }
    Look look(std::string_view control) const override
    {
        const QWidget* w = widget(control);
        const QFont font = stop(control)->font();
        Look look;
        look.face = font.family().toStdString();
        look.points = font.pointSizeF();
        look.bold = font.bold();
        look.colour = w->palette().color(QPalette::WindowText).rgb() & 0xFFFFFFu;
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            look.caption = label->text().toStdString();
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            look.caption = button->text().toStdString();
        } else if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
            look.alignedRight = (edit->alignment() & Qt::AlignRight) != 0;
        } else if (const auto* box = qobject_cast<const QComboBox*>(w)) {
            look.editable = box->isEditable();
            look.entries = box->count();
        }
        return look;
    }

    QWidget* widget(std::string_view control) const
    {
        const QDialog& form = dialog();
        auto* found = form.findChild<QWidget*>(QString::fromUtf8(control.data(), control.size()));
        return found != nullptr ? found : throw std::out_of_range("no widget " + std::string(control));
    }

protected:
    virtual QDialog& dialog() const = 0;
    // The widget that takes the focus for the control.
    virtual QWidget* stop(std::string_view control) const { return widget(control); }

    QApplication& m_app = OffscreenApplication(); // before any widget
};

} // namespace kumoden::test
