#pragma once
// The pictures' turns handed to the builder (pdf.exe).
//
// File: <staging folder>/turns.txt, written by the conversion job before each run of the
// builder, in the format of docinfo.txt: one "Index=Degrees" line per turned picture, where
// Index is the picture index of its staged page files (the digits before any "_" of 00004.jpg,
// 00004_0002.png) and Degrees its turn clockwise, 90, 180 or 270, on top of the turn the
// picture states itself (EXIF):
//
//   00004=90
//   00012=270
//
// A missing file turns no page; a picture it does not name is not turned; lines that are not
// such a pair are ignored. Every page of a several-page picture takes the picture's turn.
// No Qt, no qpdf: link pw_jobfiles.
#include <cstdint>
#include <map>
#include <string>

namespace pw::jobfiles {

inline constexpr const char* kPageTurnsFileName = "turns.txt";

// Degrees clockwise (90, 180 or 270) by picture index; pictures not listed are not turned.
using PageTurns = std::map<std::uint64_t, int>;

// `degrees` as 0, 90, 180 or 270: any multiple of 90 counts (-90 is 270, 450 is 90); anything
// else is 0.
int quarterTurn(long long degrees);

// Writes folder/turns.txt (replacing it) with the pictures that are turned. Returns false and
// sets *error when it cannot.
bool writePageTurns(const std::string& folder, const PageTurns& turns,
                    std::string* error = nullptr);

// Reads a turns file; no turns when it cannot be opened.
PageTurns readPageTurns(const std::string& path);

// The turn of the staged page file `name`: its picture's, 0 when not listed.
int turnOfStagedName(const PageTurns& turns, const std::string& name);

} // namespace pw::jobfiles
