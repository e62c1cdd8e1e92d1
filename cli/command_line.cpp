#include "cli/command_line.h"

#include "job/job_plan.h"
#include "jobfiles/bilevel_text.h"
#include "jobfiles/max_dpi_text.h"
#include "jobfiles/page_layout_text.h"
#include "jobfiles/pdfa_level.h"
#include "jobfiles/quality_text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw::cli {
namespace {

// One option of `convert`. `value` names the argument it takes ("" for a flag); `apply` edits
// the request and returns false with `error` set when the value is unusable.
struct Option {
    const char* longName;
    char shortName; // 0: none
    const char* value;
    const char* help;
    bool (*apply)(const std::string& value, ConvertRequest& request, std::string& error);
};

bool setText(std::string& field, const std::string& value) {
    field = value;
    return true;
}

// A path ending in ".pdf" in any letter case.
bool namesPdf(const std::string& path) {
    return path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".pdf") == 0;
}

// -o naming a PDF: its folder ("." for a bare name) and its file name.
bool splitOutputFile(ConvertRequest& request, std::string& error) {
    if (request.outputFile.empty())
        return true;
    if (request.perPicture) {
        error = "'-o " + request.outputFile +
                "' names one PDF, but each picture is to get a PDF of its own (--each or the "
                "saved mode); give -o a folder, or add --one";
        return false;
    }
    const std::string path = request.outputFile;
    const auto slash = path.rfind('/');
    request.outputFile = slash == std::string::npos ? path : path.substr(slash + 1);
    request.outputFolder = slash == std::string::npos ? std::string(".")
                           : slash == 0               ? std::string("/")
                                                      : path.substr(0, slash);
    return true;
}

// The first line of a password file ("-": standard input, read once), without its line end.
// Only a regular file or standard input is read, and no further than a password can reach, so
// a FIFO, a device or /dev/zero neither hangs the run nor fills its memory.
bool readPassword(const std::string& path, std::string& password, ConvertRequest& request,
                  std::string& error) {
    const bool standardInput = path == "-";
    if (standardInput && request.inputTaken) {
        error = "standard input is read for one password only";
        return false;
    }
    int fd = STDIN_FILENO;
    if (!standardInput) {
        // Opening a FIFO must not wait for a writer; the file's kind is judged once open.
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat info {};
        if (fd >= 0 && ::fstat(fd, &info) == 0 && !S_ISREG(info.st_mode)) {
            ::close(fd);
            error = "cannot read " + path + ": not a regular file";
            return false;
        }
    }
    if (fd < 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    // The longest password and a line end ("\r\n").
    const std::size_t most = jobfiles::kMostPasswordBytes + 2;
    std::string line;
    int readError = 0;
    while (line.size() < most && line.find('\n') == std::string::npos) {
        char buffer[jobfiles::kMostPasswordBytes + 2];
        const ssize_t got = ::read(fd, buffer, most - line.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            readError = errno;
        if (got <= 0)
            break;
        line.append(buffer, static_cast<std::size_t>(got));
    }
    if (standardInput)
        request.inputTaken = true;
    else
        ::close(fd);
    if (readError != 0) {
        error = "cannot read " + path + ": " + std::strerror(readError);
        return false;
    }
    const std::string source = standardInput ? std::string("standard input") : path;
    const std::size_t end = line.find('\n');
    if (end == std::string::npos && line.size() >= most) {
        error = "the password in " + source + " is longer than " +
                std::to_string(jobfiles::kMostPasswordBytes) + " bytes";
        return false;
    }
    password = line.substr(0, end);
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    // Encryption was asked for: no password must not quietly give an open PDF.
    if (password.empty()) {
        error = source + " holds no password on its first line";
        return false;
    }
    const std::string problem = job::passwordProblem(password);
    if (!problem.empty()) {
        error = "the password in " + source + " " + problem;
        return false;
    }
    return true;
}

const Option kOptions[] = {
    {"output-folder", 'o', "DIR",
     "where the PDFs go (default: the saved output folder), made with its parents when "
     "missing; in one-PDF mode a path ending in .pdf names the PDF itself (scans.pdf, or "
     "scans1.pdf when that is taken)",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (v.empty()) {
             e = "the output folder is empty";
             return false;
         }
         // Split from its folder once the mode is known.
         r.outputFile = namesPdf(v) ? v : std::string();
         return setText(r.outputFolder, v);
     }},
    {"one", 0, "", "one PDF of all pictures (default: the saved mode)",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.perPicture = false;
         return true;
     }},
    {"each", 0, "", "one PDF per picture",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.perPicture = true;
         return true;
     }},
    {"sort", 0, "", "order the pictures as Control > Sort does before converting",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.sort = true;
         return true;
     }},
    {"title", 0, "T", "document title written into every PDF",
     [](const std::string& v, ConvertRequest& r, std::string&) {
         return setText(r.properties.title, v);
     }},
    {"author", 0, "A", "document author",
     [](const std::string& v, ConvertRequest& r, std::string&) {
         return setText(r.properties.author, v);
     }},
    {"subject", 0, "S", "document subject",
     [](const std::string& v, ConvertRequest& r, std::string&) {
         return setText(r.properties.subject, v);
     }},
    {"keywords", 0, "K", "document keywords",
     [](const std::string& v, ConvertRequest& r, std::string&) {
         return setText(r.properties.keywords, v);
     }},
    {"page-size", 0, "SIZE",
     "picture (default: as large as the picture), A3, A4, A5, Letter, Legal or WxHmm",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (jobfiles::parsePageSize(v, r.options.page))
             return true;
         e = "'" + v +
             "' is no page size (picture, A3, A4, A5, Letter, Legal or WxHmm, sides "
             "10 to 5000 mm)";
         return false;
     }},
    {"orientation", 0, "O", "auto (default: turned to match the picture), portrait or landscape",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (jobfiles::parseOrientation(v, r.options.page))
             return true;
         e = "'" + v + "' is no orientation (auto, portrait or landscape)";
         return false;
     }},
    {"margin", 0, "MM", "white margin on every side in mm, 0 to 50 (default 0)",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (jobfiles::parseMargin(v, r.options.page))
             return true;
         e = "'" + v + "' is no margin (0 to 50 mm)";
         return false;
     }},
    {"fit", 0, "HOW", "fit (default), shrink (only larger pictures) or fill (cut at the margins)",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (jobfiles::parseFit(v, r.options.page))
             return true;
         e = "'" + v + "' is no fit (fit, shrink or fill)";
         return false;
     }},
    {"quality", 0, "Q",
     "JPEG quality 1-100 for pictures that are not JPEG (default 100), or lossless",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (jobfiles::parseQuality(v, r.options))
             return true;
         e = "'" + v + "' is no quality (1 to 100, or lossless)";
         return false;
     }},
    {"keep-colour", 0, "",
     "at a quality, keep in colour the pictures whose pixels are all near gray (a colour scan "
     "of a gray page), which are otherwise stored gray, in a third of the data",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.options.keepColour = r.keepColourGiven = true;
         return true;
     }},
    {"deskew", 0, "",
     "measure each page's skew and turn it upright before it is stored, the corners the turn "
     "uncovers white; a JPEG file so turned is re-encoded at the quality (lossless: its turned "
     "pixels stored without loss, as PNG)",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.options.deskew = true;
         return true;
     }},
    {"bilevel", 0, "CODING",
     "black-and-white pages as jbig2 (default: JBIG2, about a third smaller) or g4 (CCITT "
     "Group 4, for readers that know no JBIG2); exact either way",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (jobfiles::parseBilevelCoding(v, r.options.bilevel))
             return true;
         e = "'" + v + "' is no black-and-white coding (jbig2 or g4)";
         return false;
     }},
    {"split-tall", 0, "",
     "with a paper size, lay a picture more than 1.5 times as tall as the area inside the "
     "margins (at its width), or as wide (at its height, on landscape paper), over as many "
     "pages as it takes, stored once",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.options.page.splitTall = r.splitTallGiven = true;
         return true;
     }},
    {"overlap", 0, "MM", "what each slice of --split-tall repeats of the one before (0-50 mm)",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (jobfiles::parseOverlap(v, r.options.page))
             return r.overlapGiven = true;
         e = "'" + v + "' is no overlap (0 to 50 mm)";
         return false;
     }},
    {"per-sheet", 0, "COLSxROWS",
     "with a paper size, put the pictures in list order into a grid of COLS x ROWS cells on "
     "each sheet (1 to 10 each: 2x1, 2x2, 3x3), each fitted to its cell (default 1x1)",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (jobfiles::parsePerSheet(v, r.options.page))
             return r.perSheetGiven = true;
         e = "'" + v + "' is no grid (COLSxROWS, 1 to 10 each, such as 2x2)";
         return false;
     }},
    {"gap", 0, "MM", "space between the cells of --per-sheet, 0 to 50 mm (default 5)",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (jobfiles::parseGap(v, r.options.page))
             return r.gapGiven = true;
         e = "'" + v + "' is no gap (0 to 50 mm)";
         return false;
     }},
    {"max-dpi", 0, "N",
     "at a quality, scale pictures shown at more than N dpi on their page down to N (10-9600; "
     "JPEG files above it are then re-encoded at the quality; bilevel pictures stay as they "
     "are); lossless ignores it (default: off)",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (jobfiles::parseMaxDpi(v, r.options))
             return true;
         e = "'" + v + "' is no resolution (10 to 9600 dpi, or off)";
         return false;
     }},
    {"rotate", 0, "DEG",
     "turn every page 90, 180 or 270 degrees clockwise, after the camera's turn (default 0); "
     "JPEG data stays as it is",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         for (const int degrees : {0, 90, 180, 270}) {
             if (v == std::to_string(degrees)) {
                 r.rotation = degrees;
                 return true;
             }
         }
         e = "'" + v + "' is no turn (90, 180 or 270 degrees clockwise)";
         return false;
     }},
    {"password-file", 0, "FILE",
     "encrypt the PDFs (AES-256) with the first line of FILE (a regular file, or - for "
     "standard input; UTF-8, at most 127 bytes) as the password that opens them",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         return readPassword(v, r.encryption.openPassword, r, e);
     }},
    {"owner-password-file", 0, "FILE",
     "the owner password, which lifts the restrictions, from the first line of FILE (- for "
     "standard input); alone, it encrypts the PDFs without an open password",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         return readPassword(v, r.encryption.ownerPassword, r, e);
     }},
    {"input-password-file", 0, "FILE",
     "open the encrypted PDFs of the list with the first line of FILE (- for standard input); "
     "without it, or with a wrong one, they are left out",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         return readPassword(v, r.encryption.inputPassword, r, e);
     }},
    {"no-print", 0, "",
     "the PDFs may not be printed (encrypted; without --owner-password-file nobody can lift "
     "it)",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.encryption.allowPrint = false;
         return true;
     }},
    {"no-copy", 0, "",
     "text and pictures of the PDFs may not be copied out (encrypted, as with --no-print)",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.encryption.allowCopy = false;
         return true;
     }},
    {"bookmarks", 0, "", "a bookmark per picture, titled by its file name",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.options.bookmarks = true;
         return true;
     }},
    {"ocr", 0, "LANG",
     "searchable PDFs: read the pictures' text in these languages (Tesseract's names: eng, "
     "deu+eng) and lay it invisibly over the pages",
     [](const std::string& v, ConvertRequest& r, std::string&) {
         r.ocrGiven = true;
         return setText(r.options.ocrLanguages, v);
     }},
    {"ocr-sidecar", 0, "FILE",
     "with --ocr, also write the text read to FILE, pages separated "
     "by form feeds",
     [](const std::string& v, ConvertRequest& r, std::string&) {
         return setText(r.textSidecar, v);
     }},
    {"auto-rotate", 0, "",
     "turn pages whose text is sideways or upside down upright, when "
     "the text's direction is clear",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.options.autoRotate = true;
         return true;
     }},
    {"pdfa", 0, "LEVEL", "2b or 1b: archive PDFs (PDF/A-2b, PDF/A-1b), or off (default)",
     [](const std::string& v, ConvertRequest& r, std::string& e) {
         if (jobfiles::parsePdfaLevel(v, r.options.pdfa))
             return true;
         e = "'" + v + "' is no PDF/A level (2b, 1b or off)";
         return false;
     }},
    {"overwrite", 0, "",
     "replace existing PDFs of the same names (one PDF per picture, or the PDF -o names)",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.overwrite = true;
         return true;
     }},
    {"quiet", 'q', "", "no progress",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.quiet = true;
         return true;
     }},
    {"help", 'h', "", "this text",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.help = true;
         return true;
     }},
    {"version", 'V', "", "the program's version",
     [](const std::string&, ConvertRequest& r, std::string&) {
         r.version = true;
         return true;
     }},
};

const Option* findLong(std::string_view name) {
    for (const Option& option : kOptions) {
        if (name == option.longName)
            return &option;
    }
    return nullptr;
}

const Option* findShort(char name) {
    for (const Option& option : kOptions) {
        if (option.shortName != 0 && option.shortName == name)
            return &option;
    }
    return nullptr;
}

bool takesValue(const Option& option) {
    return option.value[0] != '\0';
}

constexpr std::size_t kHelpColumn = 26;
constexpr std::size_t kHelpWidth = 79;

// An option's help broken into lines that end by kHelpWidth, the later ones indented to
// kHelpColumn.
std::string wrapped(const std::string& help) {
    std::string text;
    std::size_t column = kHelpColumn;
    std::size_t start = 0;
    while (start < help.size()) {
        const std::size_t end = std::min(help.find(' ', start), help.size());
        const std::string word = help.substr(start, end - start);
        if (column > kHelpColumn && column + 1 + word.size() > kHelpWidth) {
            text += "\n" + std::string(kHelpColumn, ' ');
            column = kHelpColumn;
        } else if (column > kHelpColumn) {
            text += ' ';
            ++column;
        }
        text += word;
        column += word.size();
        start = end + 1;
    }
    return text;
}

} // namespace

bool parseConvertArguments(const std::vector<std::string>& args, ConvertRequest& request,
                           std::string& error) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            request.inputs.push_back(arg); // "-" alone is a file name too
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const Option* option = nullptr;
        std::string value;
        bool inlineValue = false;
        std::string shown = arg;
        if (arg[1] == '-') {
            const auto equals = arg.find('=');
            const std::string name =
                arg.substr(2, equals == std::string::npos ? equals : equals - 2);
            option = findLong(name);
            shown = "--" + name;
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
                inlineValue = true;
            }
        } else {
            option = findShort(arg[1]);
            shown = arg.substr(0, 2);
            if (arg.size() > 2) {
                value = arg.substr(2);
                inlineValue = true;
            }
        }
        if (option == nullptr) {
            error = "unknown option '" + shown + "'";
            return false;
        }
        if (takesValue(*option) && !inlineValue) {
            if (i + 1 >= args.size()) {
                error = "option '" + shown + "' needs a value";
                return false;
            }
            value = args[++i];
        } else if (!takesValue(*option) && inlineValue) {
            error = "option '" + shown + "' takes no value";
            return false;
        }
        if (!option->apply(value, request, error)) {
            error = "option '" + shown + "': " + error;
            return false;
        }
    }
    if (!request.textSidecar.empty() && request.options.ocrLanguages.empty()) {
        error = "--ocr-sidecar needs --ocr LANG";
        return false;
    }
    return splitOutputFile(request, error);
}

std::string convertUsage() {
    std::string text =
        "Usage: pagewright convert [OPTIONS] PICTURE|FOLDER...\n"
        "Turns pictures into PDF with the window's job, without a window. A folder adds its\n"
        "pictures and those of its subfolders, as Add Folder does.\n\n"
        "PDFs may be listed too: their pages go into the result as they are, each with its own\n"
        "page size and turn (--rotate adds to it); page size, orientation, margin, fit,\n"
        "--split-tall and --per-sheet apply to pictures only. Their bookmarks, form fields and\n"
        "document properties are left out.\n\nOptions:\n";
    for (const Option& option : kOptions) {
        std::string names = option.shortName != 0 ? std::string("  -") + option.shortName + ", "
                                                  : std::string("      ");
        names += std::string("--") + option.longName;
        if (takesValue(option))
            names += std::string(" ") + option.value;
        if (names.size() < kHelpColumn)
            names.resize(kHelpColumn, ' ');
        else
            names += "\n" + std::string(kHelpColumn, ' ');
        text += names + wrapped(option.help) + "\n";
    }
    text += "\nEach PDF written is printed on standard output, one path a line; progress and\n"
            "pictures that could not be converted go to standard error. Several conversions\n"
            "may run at once, also into one folder: a PDF never replaces another one written\n"
            "meanwhile, it takes the next free name (NewPDF1.pdf) instead.\n\n"
            "Exit status: 0 every picture is in a PDF; 1 usage error (unknown option, no\n"
            "pictures, not a picture); 2 some pictures are missing; 3 nothing was written;\n"
            "130, 143 or 129 stopped by Ctrl+C, SIGTERM or SIGHUP (PDFs already written\n"
            "stay).\n";
    return text;
}

} // namespace pw::cli
