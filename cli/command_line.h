#pragma once
// `pagewright convert [OPTIONS] PICTURE|FOLDER...`: the arguments read into one request.
// Options come from a table (command_line.cpp); each entry edits the request.
#include "jobfiles/docinfo.h"
#include "jobfiles/encryption.h"
#include "jobfiles/job_options.h"

#include <string>
#include <vector>

namespace pw::cli {

// Exit statuses of `pagewright convert`.
enum ExitStatus : int {
    kExitDone = 0,        // every picture is in a PDF
    kExitUsage = 1,       // unknown option, no pictures, not a picture
    kExitSomeMissing = 2, // some pictures are in no PDF, or some pages lack the text asked for
    kExitNothing = 3,     // no PDF was written
    // 128 + the signal (130 for Ctrl+C, 143 for SIGTERM): stopped; PDFs written before stay.
};

struct ConvertRequest {
    // Starts from the saved settings; the options override them.
    std::string outputFolder;
    // -o naming the PDF itself (one-PDF mode): its file name in outputFolder; "" for NewPDF.pdf.
    std::string outputFile;
    bool perPicture = false;
    jobfiles::JobOptions options;
    int rotation = 0;             // --rotate: every picture's turn in degrees clockwise
    jobfiles::DocInfo properties; // title, author, subject, keywords, creation date
    // Passwords from --password-file and --owner-password-file, permissions from --no-print
    // and --no-copy; never from an argument itself.
    jobfiles::Encryption encryption;
    bool inputTaken = false;      // a password file "-" has read standard input
    std::string textSidecar;      // --ocr-sidecar: the recognised text goes here too
    bool perSheetGiven = false;   // --per-sheet is on the command line
    bool splitTallGiven = false;  // so is --split-tall
    bool overlapGiven = false;    // --overlap
    bool gapGiven = false;        // --gap
    bool ocrGiven = false;        // so is --ocr, its language perhaps empty
    bool keepColourGiven = false; // --keep-colour
    bool sort = false;
    bool overwrite = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> inputs; // pictures and folders, in the order given
};

// Reads the arguments after "convert" into request (pre-filled with the saved values); reads
// the password files (standard input for "-"). False with `error` set on a usage error.
bool parseConvertArguments(const std::vector<std::string>& args, ConvertRequest& request,
                           std::string& error);

// The --help text.
std::string convertUsage();

} // namespace pw::cli
