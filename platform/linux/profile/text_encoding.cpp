#include "platform/linux/profile/text_encoding.h"

#include "platform/common/utf8.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <iconv.h>

namespace kumoden::profile {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

bool isCp932Lead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isCp932Trail(unsigned char byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// One conversion descriptor, closed when it goes. Opened per call: the
// store is used rarely and a shared descriptor would need a lock.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter()
    {
        if (valid()) {
            iconv_close(m_cd);
        }
    }

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts from `pos` until the input ends or a character fails; the
    // output is appended. Returns false when it stopped at a failing
    // character, `pos` then pointing at it.
    bool run(std::string_view text, std::size_t& pos, std::string& out)
    {
        std::array<char, 4096> buffer;
        while (pos < text.size()) {
            // iconv's interface is not const-correct; it only reads the input.
            char* in = const_cast<char*>(text.data() + pos);
            std::size_t inLeft = text.size() - pos;
            char* outPtr = buffer.data();
            std::size_t outLeft = buffer.size();
            const std::size_t result = iconv(m_cd, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer.data(), static_cast<std::size_t>(outPtr - buffer.data()));
            pos = text.size() - inLeft;
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
                return false;
            }
        }
        return true;
    }

private:
    iconv_t m_cd;
};

} // namespace

bool isAscii(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

bool isValidUtf8(std::string_view text)
{
    return IsValidUtf8(text);
}

TextEncoding detectEncoding(std::string_view text)
{
    return isValidUtf8(text) ? TextEncoding::Utf8 : TextEncoding::Cp932;
}

std::size_t cp932CharLength(std::string_view text, std::size_t pos)
{
    if (pos + 1 < text.size() && isCp932Lead(static_cast<unsigned char>(text[pos])) &&
        isCp932Trail(static_cast<unsigned char>(text[pos + 1]))) {
        return 2;
    }
    return 1;
}

std::size_t cutAtCharBoundary(std::string_view text, std::size_t limit, TextEncoding encoding)
{
    if (text.size() <= limit) {
        return text.size();
    }
    if (encoding == TextEncoding::Utf8) {
        // Back off over continuation bytes to the start of the cut character.
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        return cut;
    }
    // CP932 trail bytes look like ASCII, so boundaries are found from the start.
    std::size_t pos = 0;
    while (pos < limit) {
        const std::size_t next = pos + cp932CharLength(text, pos);
        if (next > limit) {
            break;
        }
        pos = next;
    }
    return pos;
}

std::string cp932ToUtf8(std::string_view text)
{
    std::string out;
    if (isAscii(text)) {
        out.assign(text);
        return out;
    }
    out.reserve(text.size() + text.size() / 2);
    Converter converter("UTF-8", "CP932");
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (converter.valid() && converter.run(text, pos, out)) {
            break;
        }
        // Without a converter only ASCII gets through.
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (!converter.valid() && byte < 0x80) {
            out += static_cast<char>(byte);
            ++pos;
            continue;
        }
        out += kReplacement;
        pos += cp932CharLength(text, pos);
    }
    return out;
}

std::string cp932ReadBack(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto fit = std::find_if(kCp932BestFit.begin(), kCp932BestFit.end(), [&](const Cp932Fit& f) {
            return text.substr(pos).starts_with(f.written);
        });
        if (fit != kCp932BestFit.end()) {
            out += fit->readsAs;
            pos += fit->written.size();
        } else {
            out += text[pos++];
        }
    }
    return out;
}

std::optional<std::string> utf8ToCp932(std::string_view text)
{
    if (!isValidUtf8(text)) {
        return std::nullopt;
    }
    if (isAscii(text)) {
        return std::string(text);
    }
    Converter converter("CP932", "UTF-8");
    std::string out;
    std::size_t pos = 0;
    if (!converter.valid() || !converter.run(text, pos, out)) {
        return std::nullopt;
    }
    // The converter's own table may fit more characters than Windows does;
    // a value that would read back otherwise than documented is refused.
    if (cp932ToUtf8(out) != cp932ReadBack(text)) {
        return std::nullopt;
    }
    return out;
}

std::string toUtf8(std::string_view text, TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? std::string(text) : cp932ToUtf8(text);
}

std::optional<std::string> fromUtf8(std::string_view text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp932) {
        return utf8ToCp932(text);
    }
    if (!isValidUtf8(text)) {
        return std::nullopt;
    }
    return std::string(text);
}

} // namespace kumoden::profile
