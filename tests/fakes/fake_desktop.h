#pragma once

#include "platform/desktop.h"
#include "platform/forms.h"
#include "platform/tray_icon.h"

#include <functional>
#include <string>
#include <vector>

namespace kumoden::fake {

// Thrown where the real process would end; a test catches it.
struct ProcessEnded {};

// A journal of what the program asked of the desktop, in order, shared by
// the fakes below so that a test can check the order across them.
using Journal = std::vector<std::string>;

class FakeDesktop final : public Desktop {
public:
    explicit FakeDesktop(Journal& journal) : m_journal(journal) {}

    double twipsPerPixelX() const override { return 15; }
    double twipsPerPixelY() const override { return 15; }
    double screenWidth() const override { return 1024 * 15; }
    double screenHeight() const override { return 768 * 15; }
    Rect taskbarRect() const override { return taskbar; }
    Rect notificationRect() const override { return notification; }
    void setForegroundWindow() override { m_journal.push_back("foreground"); }
    void doEvents() override
    {
        m_journal.push_back("doEvents");
        if (onDoEvents) {
            onDoEvents();
        }
    }
    [[noreturn]] void endProcess() override
    {
        m_journal.push_back("endProcess");
        throw ProcessEnded{};
    }

    Rect taskbar{0, 738, 1024, 768};
    Rect notification{900, 738, 1024, 768};
    std::function<void()> onDoEvents;

private:
    Journal& m_journal;
};

class FakeTrayIcon final : public TrayIcon {
public:
    explicit FakeTrayIcon(Journal& journal) : m_journal(journal) {}

    void setActionHandler(ActionHandler handler) override { m_handler = std::move(handler); }
    void setHostMenu(const std::vector<MenuEntry>& entries, MenuHandler chosen) override
    {
        hostMenu = entries;
        m_chosen = std::move(chosen);
    }
    bool add(const std::string& tip) override
    {
        m_journal.push_back("icon add " + tip);
        shown = true;
        return true;
    }
    void remove() override
    {
        m_journal.push_back("icon remove");
        shown = false;
    }
    void showNotice(const std::string& title, const std::string& text) override
    {
        m_journal.push_back("notice " + title + ": " + text);
    }
    // The notification area reports what the user did with the icon.
    void send(TrayAction action) { m_handler(action); }
    // A tray host that draws the menu reports the entry chosen in it.
    void chooseInHostMenu(int position) { m_chosen(position); }

    bool shown = false;
    std::vector<MenuEntry> hostMenu;

private:
    Journal& m_journal;
    ActionHandler m_handler;
    MenuHandler m_chosen;
};

// A popup menu that answers with a scripted choice; what happens while it
// is open can be scripted too.
class FakePopupMenu final : public PopupMenuView {
public:
    explicit FakePopupMenu(Journal& journal) : m_journal(journal) {}

    void setEntries(const std::vector<MenuEntry>& entries) override { this->entries = entries; }
    void setDefaultEntry(int position) override { defaultEntry = position; }
    int track(const PopupPlacement& placement) override
    {
        m_journal.push_back("track");
        shownAt.push_back(placement);
        if (whileOpen) {
            whileOpen();
        }
        return choice;
    }

    std::vector<MenuEntry> entries;
    int defaultEntry = -1;
    int choice = -1;
    std::vector<PopupPlacement> shownAt;
    std::function<void()> whileOpen;

private:
    Journal& m_journal;
};

// A modal window: records that it opened and runs what a test scripts for
// the time it is open.
class FakeModal final : public AboutView, public PrinterSetupDialog, public SplashView {
public:
    FakeModal(Journal& journal, std::string name) : m_journal(journal), m_name(std::move(name)) {}

    void showModal() override { open(); }
    void showPrinter() override { open(); }
    void show() override { m_journal.push_back(m_name + " show"); }
    void setProgress(double value) override { progress.push_back(value); }
    void unload() override { m_journal.push_back(m_name + " unload"); }

    std::function<void()> whileOpen;
    int opened = 0;
    std::vector<double> progress;

private:
    void open()
    {
        ++opened;
        m_journal.push_back(m_name + " open");
        if (whileOpen) {
            whileOpen();
        }
        m_journal.push_back(m_name + " closed");
    }

    Journal& m_journal;
    std::string m_name;
};

} // namespace kumoden::fake
