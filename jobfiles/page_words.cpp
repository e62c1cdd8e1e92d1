#include "jobfiles/page_words.h"

#include "jobfiles/text_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace pw::jobfiles {
namespace {

constexpr const char* kHeader = "words 2";
// Points: PDF pages are at most 14400 user units a side, and may lie far from the origin.
constexpr double kMostPlace = 1e6;

std::string boxText(const WordBox& box, int width, int height) {
    const auto clamp = [](int value, int most) { return std::clamp(value, 0, most); };
    const int left = clamp(box.left, width - 1);
    const int top = clamp(box.top, height - 1);
    const int right = std::max(clamp(box.right, width), left + 1);
    const int bottom = std::max(clamp(box.bottom, height), top + 1);
    return std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(right) + " " +
           std::to_string(bottom);
}

// A decimal number of at most seven digits followed by a space or the end; advances `at`.
bool readNumber(const std::string& line, std::size_t& at, int& number) {
    const std::size_t start = at;
    long value = 0;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9' && at - start < 7)
        value = value * 10 + (line[at++] - '0');
    if (at == start || (at < line.size() && line[at] != ' '))
        return false;
    if (at < line.size())
        ++at;
    number = static_cast<int>(value);
    return true;
}

bool readBox(const std::string& line, std::size_t& at, const PageWords& page, WordBox& box) {
    return readNumber(line, at, box.left) && readNumber(line, at, box.top) &&
           readNumber(line, at, box.right) && readNumber(line, at, box.bottom) &&
           box.left < box.right && box.top < box.bottom && box.right <= page.width &&
           box.bottom <= page.height;
}

// Four decimal numbers, the last two above 0, within the sizes a PDF page can have.
bool readPlace(const std::string& line, std::array<double, 4>& place) {
    std::size_t at = 0;
    for (double& value : place) {
        const char* from = line.data() + at;
        const auto [end, error] = std::from_chars(from, line.data() + line.size(), value);
        if (error != std::errc() || !std::isfinite(value) || std::abs(value) > kMostPlace)
            return false;
        at = static_cast<std::size_t>(end - line.data());
        if (at < line.size() && line[at++] != ' ')
            return false;
    }
    return at == line.size() && line.back() != ' ' && place[2] > 0 && place[3] > 0;
}

bool validWordText(const std::string& text) {
    if (text.empty() || text.size() > kMostWordBytes)
        return false;
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

} // namespace

std::string wordsFileFor(const std::string& stagedPath) {
    const auto slash = stagedPath.rfind('/');
    const auto dot = stagedPath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return stagedPath + kWordsExtension;
    return stagedPath.substr(0, dot) + kWordsExtension;
}

std::string pageWordsText(const PageWords& words) {
    const int width = std::max(words.width, 1);
    const int height = std::max(words.height, 1);
    std::string text = std::string(kHeader) + "\nsize " + std::to_string(width) + " " +
                       std::to_string(height) + "\n";
    if (words.place) {
        text += "place";
        for (const double value : *words.place)
            text += " " + decimalText(value, 3);
        text += "\n";
    }
    for (const WordLine& line : words.lines) {
        if (line.newBlock)
            text += "block\n";
        text += "line " + boxText(line.box, width, height) + " " + std::to_string(line.turn) + "\n";
        for (const PageWord& word : line.words)
            text += "word " + boxText(word.box, width, height) + " " + word.text + "\n";
    }
    return text;
}

std::optional<PageWords> parsePageWords(const std::string& text) {
    if (text.size() > kMostWordsFileBytes)
        return std::nullopt;
    PageWords page;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kHeader || !std::getline(in, line) ||
        line.rfind("size ", 0) != 0)
        return std::nullopt;
    std::size_t at = 5;
    if (!readNumber(line, at, page.width) || !readNumber(line, at, page.height) ||
        at != line.size() || page.width < 1 || page.height < 1 || page.width > kMostPictureSide ||
        page.height > kMostPictureSide)
        return std::nullopt;
    std::size_t count = 0;
    bool block = false;
    bool first = true;
    while (std::getline(in, line)) {
        const bool placeAllowed = first;
        first = false;
        if (line.rfind("place ", 0) == 0) {
            std::array<double, 4> place{};
            if (!placeAllowed || !readPlace(line.substr(6), place))
                return std::nullopt;
            page.place = place;
        } else if (line == "block") {
            block = true;
        } else if (line.rfind("line ", 0) == 0) {
            WordLine next;
            at = 5;
            if (!readBox(line, at, page, next.box) || at == line.size() || line[at - 1] != ' ' ||
                !readNumber(line, at, next.turn) || at != line.size() || next.turn % 90 != 0 ||
                next.turn > 270)
                return std::nullopt;
            next.newBlock = block || page.lines.empty();
            block = false;
            page.lines.push_back(std::move(next));
        } else if (line.rfind("word ", 0) == 0) {
            PageWord word;
            at = 5;
            if (page.lines.empty() || ++count > kMostWords || !readBox(line, at, page, word.box) ||
                at == line.size() || line[at - 1] != ' ')
                return std::nullopt;
            word.text = line.substr(at);
            if (!validWordText(word.text))
                return std::nullopt;
            page.lines.back().words.push_back(std::move(word));
        } else {
            return std::nullopt;
        }
    }
    return page;
}

bool writePageWords(const std::string& path, const PageWords& words, std::string* error) {
    const std::string text = pageWordsText(words);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        if (error != nullptr)
            *error = "cannot create " + path;
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        std::remove(path.c_str());
        if (error != nullptr)
            *error = "cannot write " + path;
        return false;
    }
    return true;
}

std::optional<PageWords> readPageWords(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMostWordsFileBytes)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(text.data(), size))
        return std::nullopt;
    return parsePageWords(text);
}

std::string plainText(const PageWords& words) {
    std::string text;
    for (const WordLine& line : words.lines) {
        if (line.newBlock && !text.empty())
            text += "\n";
        for (std::size_t i = 0; i < line.words.size(); ++i)
            text += (i == 0 ? "" : " ") + line.words[i].text;
        text += "\n";
    }
    return text;
}

} // namespace pw::jobfiles
