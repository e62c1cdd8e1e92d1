#include "platform/narrow.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <map>
#include <mutex>

namespace pw::platform {
namespace {

std::atomic<NarrowCodec> currentCodec{NarrowCodec::Locale};

// Length of the UTF-8 sequence starting at s[i], 0 when it is not a valid sequence.
std::size_t sequenceLength(const std::string& s, std::size_t i, std::uint32_t& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

bool isUtf8Name(const char* codeset) {
    return strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "UTF8") == 0;
}

// The C locale reports ASCII; file names are still handed to the system as the program's
// UTF-8 bytes then, so it counts as UTF-8.
bool isAsciiName(const char* codeset) {
    return strcasecmp(codeset, "ANSI_X3.4-1968") == 0 || strcasecmp(codeset, "ASCII") == 0 ||
           strcasecmp(codeset, "US-ASCII") == 0;
}

// One conversion of a whole buffer; false when iconv refuses any of it.
bool convert(iconv_t cd, const std::string& in, std::string& out) {
    out.assign(in.size() * 4 + 16, '\0');
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return false;
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return false;
    out.resize(out.size() - outLeft);
    return true;
}

// Each UTF-8 character as mapped by narrow(code point, its bytes), or '?' when it has no mapping
// or is not valid UTF-8.
template <typename Mapping> std::string roundTripEach(const std::string& utf8, Mapping narrow) {
    std::string result;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceLength(utf8, i, codePoint);
        if (length == 0) {
            result += '?';
            ++i;
            continue;
        }
        std::string back;
        result += narrow(codePoint, utf8.substr(i, length), back) ? back : std::string("?");
        i += length;
    }
    return result;
}

// Round trip through a locale character set, one character at a time.
std::string roundTripThrough(const char* codeset, const std::string& utf8) {
    const iconv_t failed = reinterpret_cast<iconv_t>(-1);
    iconv_t toNarrowCd = iconv_open(codeset, "UTF-8");
    iconv_t fromNarrowCd = iconv_open("UTF-8", codeset);
    const bool known = toNarrowCd != failed && fromNarrowCd != failed;
    // An unknown character set keeps plain ASCII only.
    const std::string result = roundTripEach(
        utf8, [&](std::uint32_t codePoint, const std::string& character, std::string& back) {
            if (!known) {
                back = character;
                return codePoint < 0x80;
            }
            std::string narrow;
            return convert(toNarrowCd, character, narrow) && convert(fromNarrowCd, narrow, back);
        });
    if (toNarrowCd != failed)
        iconv_close(toNarrowCd);
    if (fromNarrowCd != failed)
        iconv_close(fromNarrowCd);
    return result;
}

std::string roundTripLatin1(const std::string& utf8) {
    return roundTripEach(
        utf8, [](std::uint32_t codePoint, const std::string& character, std::string& back) {
            back = character;
            return codePoint <= 0xFF;
        });
}

} // namespace

bool isValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceLength(text, i, codePoint);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

void setNarrowCodec(NarrowCodec codec) {
    currentCodec.store(codec);
}

NarrowCodec narrowCodec() {
    return currentCodec.load();
}

namespace {

std::atomic<bool> counting{false};
std::mutex countsMutex;
std::map<std::string, int> counts;

} // namespace

void countNarrowConversions(const std::vector<std::string>& texts) {
    const std::lock_guard<std::mutex> lock(countsMutex);
    counts.clear();
    for (const std::string& text : texts)
        counts[text] = 0;
    counting = !texts.empty();
}

int narrowConversionsOf(const std::string& utf8) {
    const std::lock_guard<std::mutex> lock(countsMutex);
    const auto found = counts.find(utf8);
    return found == counts.end() ? 0 : found->second;
}

std::string toNarrow(const std::string& utf8) {
    if (counting.load(std::memory_order_relaxed)) {
        const std::lock_guard<std::mutex> lock(countsMutex);
        if (const auto found = counts.find(utf8); found != counts.end())
            ++found->second;
    }
    switch (currentCodec.load()) {
    case NarrowCodec::Utf8:
        return utf8;
    case NarrowCodec::Latin1:
        return roundTripLatin1(utf8);
    case NarrowCodec::Locale:
        break;
    }
    const char* codeset = nl_langinfo(CODESET);
    if (codeset == nullptr || *codeset == '\0' || isUtf8Name(codeset) || isAsciiName(codeset))
        return utf8;
    return roundTripThrough(codeset, utf8);
}

} // namespace pw::platform
