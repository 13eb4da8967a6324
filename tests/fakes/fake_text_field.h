#pragma once

#include "platform/text_field.h"

#include <string>
#include <utility>
#include <vector>

namespace kumoden::fake {

// A text box that records every write and counts how often its change
// handling ran (only for a text that differs from the present one).
class FakeTextField final : public TextField {
public:
    explicit FakeTextField(std::string text = {}) : m_text(std::move(text)) {}

    std::string text() const override { return m_text; }
    void setText(const std::string& text) override
    {
        m_writes.push_back(text);
        if (text != m_text) {
            m_text = text;
            ++m_changes;
        }
    }

    const std::vector<std::string>& writes() const { return m_writes; }
    int changes() const { return m_changes; }

private:
    std::string m_text;
    std::vector<std::string> m_writes;
    int m_changes = 0;
};

} // namespace kumoden::fake
