#pragma once
// The words read from one staged page, handed from the job to the builder (pdf.exe).
//
// File: beside the staged page, its name with ".words" for the extension (00004.jpg:
// 00004.words, 00004_0002.png: 00004_0002.words), written by the job when it recognises text,
// read by the builder, which lays the words over the page as invisible text. UTF-8, "\n" line
// ends, one record per line, numbers decimal, boxes in pixels of the picture as shown (turned
// as the page shows it), x to the right and y down from the top-left corner, right and bottom
// edges exclusive:
//
//   words 2                      the format and its version
//   size 2480 3508               the shown picture's width and height
//   place 0 0 595.2 841.92       only for a page of a PDF of the list: where the picture lies
//                                on it, left, bottom, width and height in its default user
//                                space (points, y up, before its /Rotate)
//   block                        a new block of text (a column, a paragraph) begins
//   line 200 300 1800 360 0      a line, in reading order, with its box and its text's turn
//   word 200 302 420 358 Hello   a word of that line, in reading order, box then text
//
// A line's turn is how its text lies on the picture as shown: 0 upright, 90 turned a quarter
// clockwise (read top to bottom, the letters' tops to the right), 180 upside down, 270 read
// bottom to top. Its words then follow one another down, leftwards or up the picture.
//
// A PDF page's words are those of its scanned picture arranged as the page holds it in its user
// space, x to the right and y down, so turned and mirrored as its image matrix says; their turns
// are those of the text in that space, before the page's /Rotate. Its words file takes its name
// from the page's staged name (stagedPageName of the staged PDF): 00004.words, 00004_0002.words.
//
// A file that does not start with the first two records, a place record anywhere but right after
// them or with a width or height not above 0, a box outside the picture or not
// at least a pixel wide and high, a turn other than those four, a word before any line, a word text
// empty or holding control characters or over kMostWordBytes, more than kMostWords words or a file
// larger than kMostWordsFileBytes makes the whole file unreadable: the page then gets no text. No
// Qt: link pw_jobfiles.
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace pw::jobfiles {

inline constexpr const char* kWordsExtension = ".words";
inline constexpr std::size_t kMostWordBytes = 400;
inline constexpr std::size_t kMostWords = 200000;
inline constexpr std::size_t kMostWordsFileBytes = 16u << 20;
inline constexpr int kMostPictureSide = 1 << 20;

struct WordBox {
    int left = 0;
    int top = 0;
    int right = 0; // exclusive
    int bottom = 0;
};

struct PageWord {
    WordBox box;
    std::string text; // UTF-8
};

struct WordLine {
    bool newBlock = false; // the first line of a block
    WordBox box;
    std::vector<PageWord> words;
    int turn = 0; // clockwise degrees: 0, 90, 180 or 270
};

struct PageWords {
    int width = 0; // of the picture as shown, in pixels
    int height = 0;
    std::vector<WordLine> lines;
    // A PDF page's: where the picture lies on it (left, bottom, width, height in points).
    std::optional<std::array<double, 4>> place = std::nullopt;
};

// The words file of a staged page file: its path with the extension replaced.
std::string wordsFileFor(const std::string& stagedPath);

// The file's text for `words` (boxes clamped to the picture).
std::string pageWordsText(const PageWords& words);
// Parses a words file's text; std::nullopt for anything not as described above.
std::optional<PageWords> parsePageWords(const std::string& text);

// Writes the file (replacing it); false and *error set when it cannot, leaving no file.
bool writePageWords(const std::string& path, const PageWords& words, std::string* error = nullptr);
// Reads and parses the file; std::nullopt when it is missing, too large or unreadable.
std::optional<PageWords> readPageWords(const std::string& path);

// The page's text: words separated by spaces, lines by line feeds, blocks by an empty line.
std::string plainText(const PageWords& words);

} // namespace pw::jobfiles
