#pragma once

#include "platform/clipboard.h"
#include "platform/clipboard_watcher.h"
#include "platform/hard_copy_page.h"
#include "tests/fakes/fake_desktop.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kumoden::fake {

// A picture known by a number (0 is none), with its size in twips.
class FakePicture final : public Picture {
public:
    FakePicture(std::uintptr_t id, float width, float height) : id(id), width(width), height(height) {}
    std::uintptr_t handle() const override { return id; }

    const std::uintptr_t id;
    const float width;
    const float height;
};

// A clipboard whose content a test sets, and may change between the calls
// of a hard copy through onGetFormat.
class FakeClipboard final : public Clipboard {
public:
    bool getFormat(ClipboardFormat format) override
    {
        ++formatTests;
        if (onGetFormat) {
            onGetFormat(format);
        }
        failIfUnreadable();
        return format == ClipboardFormat::Text ? text : bitmap;
    }
    PicturePtr getData() override
    {
        ++decodes;
        failIfUnreadable();
        return std::make_unique<FakePicture>(picture, pictureWidth, pictureHeight);
    }

    // A bitmap: a picture that is also offered as pixels.
    void holdBitmap(std::uintptr_t id, float width = 19200, float height = 10800)
    {
        text = false;
        bitmap = true;
        picture = id;
        pictureWidth = width;
        pictureHeight = height;
    }
    void empty()
    {
        text = false;
        bitmap = false;
        picture = 0;
    }

    bool text = false;
    bool bitmap = false;
    std::uintptr_t picture = 0; // whatever picture format; 0 for none
    float pictureWidth = 0;
    float pictureHeight = 0;
    bool unreadable = false;
    int formatTests = 0;
    // Each getData decodes the picture anew.
    int decodes = 0;
    std::function<void(ClipboardFormat)> onGetFormat;

private:
    void failIfUnreadable() const
    {
        if (unreadable) {
            throw HardCopyError("the clipboard cannot be read");
        }
    }
};

// One job the page form printed: its picture and its box's size.
struct PrintedPage {
    std::uintptr_t picture = 0;
    float width = 0;
    float height = 0;
};

// The page form: takes every size exactly as it is asked for and records
// what it prints.
class FakePageView final : public HardCopyPageView {
public:
    explicit FakePageView(Journal& journal) : m_journal(journal) {}

    void load(const PageFormDesign& design) override
    {
        m_journal.push_back("page load");
        if (failLoad) {
            throw HardCopyError("the page form cannot be made");
        }
        loaded = true;
        stretch = design.stretch;
        box = {0, design.boxWidth, design.boxHeight};
        // A fixed frame around the client area, as a window has.
        formW = design.clientWidth + kPageFrameWidth;
        formH = design.clientHeight + kPageFrameHeight;
    }
    void unload() override
    {
        m_journal.push_back("page unload");
        loaded = false;
    }
    // As an image box: one that does not stretch takes the picture's size.
    void setPicture(PicturePtr picture) override
    {
        const auto& given = dynamic_cast<const FakePicture&>(*picture);
        box.picture = given.handle();
        if (!stretch) {
            box.width = given.width;
            box.height = given.height;
        }
    }
    float boxWidth() const override { return box.width; }
    float boxHeight() const override { return box.height; }
    void setBoxWidth(float twips) override { box.width = twips; }
    void setBoxHeight(float twips) override { box.height = twips; }
    float formWidth() const override { return formW; }
    float formHeight() const override { return formH; }
    void setFormWidth(float twips) override { formW = twips; }
    void setFormHeight(float twips) override { formH = twips; }
    void printForm() override
    {
        m_journal.push_back("printForm");
        if (whilePrinting) {
            whilePrinting();
        }
        if (failPrint) {
            throw HardCopyError("the printer failed");
        }
        printed.push_back(box);
    }

    bool loaded = false;
    bool stretch = false;
    PrintedPage box;
    float formW = 0;
    float formH = 0;
    bool failLoad = false;
    bool failPrint = false;
    std::vector<PrintedPage> printed;
    std::function<void()> whilePrinting;

private:
    Journal& m_journal;
};

class FakePagePrinter final : public PagePrinter {
public:
    std::int32_t pageWidth() override { return extent(width); }
    std::int32_t pageHeight() override { return extent(height); }

    std::int32_t width = 12000;
    std::int32_t height = 16000;
    bool installed = true;

private:
    std::int32_t extent(std::int32_t value) const
    {
        if (!installed) {
            throw HardCopyError("no printer");
        }
        return value;
    }
};

// The clipboard's change notices: change() is the platform telling of one.
class FakeClipboardWatcher final : public ClipboardWatcher {
public:
    explicit FakeClipboardWatcher(Journal& journal) : m_journal(journal) {}

    bool watch(ChangeHandler changed) override
    {
        m_journal.push_back("clipboard watch");
        m_changed = std::move(changed);
        return true;
    }
    void stop() override
    {
        m_journal.push_back("clipboard stop");
        m_changed = nullptr;
    }

    bool watching() const { return static_cast<bool>(m_changed); }
    // A change of the clipboard; heard only while watched.
    void change()
    {
        if (m_changed) {
            const ChangeHandler changed = m_changed; // the handler may stop the watch
            changed();
        }
    }

private:
    Journal& m_journal;
    ChangeHandler m_changed;
};

} // namespace kumoden::fake
