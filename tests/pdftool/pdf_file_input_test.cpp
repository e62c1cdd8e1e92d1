// The source qpdf reads PDFs through answers every call as qpdf's own file source does.
#include "formats/pdf_file_input.h"

#include <gtest/gtest.h>
#include <qpdf/FileInputSource.hh>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

TEST(PdfFileInput, AnswersAsQpdfsFileSourceDoes) {
    // Lines of every ending, long runs without one, more than two windows in all.
    std::mt19937 random(7);
    std::string bytes;
    while (bytes.size() < 200000) {
        const int kind = static_cast<int>(random() % 6);
        if (kind == 0)
            bytes += "\r\n";
        else if (kind == 1)
            bytes += "\n\r\r\n\n";
        else if (kind == 2)
            bytes += std::string(random() % 30000, 'x');
        else
            bytes += "obj << /Length " + std::to_string(random() % 1000) + " >> stream\r";
    }
    char name[] = "/tmp/pdf-input-XXXXXX";
    const int fd = ::mkstemp(name);
    ASSERT_GE(fd, 0);
    ::close(fd);
    std::ofstream(name, std::ios::binary) << bytes;

    pw::formats::PdfFileInput ours(name);
    FileInputSource theirs(name);
    std::vector<char> a(150000), b(150000);
    const auto size = static_cast<long long>(bytes.size());
    for (int step = 0; step < 4000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        switch (random() % 5) {
        case 0: {
            const int whence = static_cast<int>(random() % 3) == 0 ? SEEK_SET : SEEK_END;
            const long long offset = whence == SEEK_SET ? static_cast<long long>(random() % (size + 100))
                                                        : -static_cast<long long>(random() % 100);
            ours.seek(offset, whence);
            theirs.seek(offset, whence);
            break;
        }
        case 1: {
            const long long offset = static_cast<long long>(random() % 2000) - 1000;
            if (theirs.tell() + offset < 0) {
                EXPECT_ANY_THROW(ours.seek(offset, SEEK_CUR));
                break;
            }
            ours.seek(offset, SEEK_CUR);
            theirs.seek(offset, SEEK_CUR);
            break;
        }
        case 2: {
            const std::size_t length = random() % 4 == 0 ? random() % 150000 : random() % 300;
            const std::size_t got = ours.read(a.data(), length);
            ASSERT_EQ(got, theirs.read(b.data(), length));
            ASSERT_EQ(std::string(a.data(), got), std::string(b.data(), got));
            if (got > 0 && random() % 3 == 0) {
                ours.unreadCh(a[got - 1]);
                theirs.unreadCh(b[got - 1]);
            }
            break;
        }
        case 3:
            ASSERT_EQ(ours.findAndSkipNextEOL(), theirs.findAndSkipNextEOL());
            break;
        default: {
            // Both refuse a line asked for past the end.
            const auto line = [](InputSource& source) {
                try {
                    return source.readLine(200);
                } catch (const std::exception&) {
                    return std::string("refused");
                }
            };
            ASSERT_EQ(line(ours), line(theirs));
        }
        }
        ASSERT_EQ(ours.tell(), theirs.tell());
        ASSERT_EQ(ours.getLastOffset(), theirs.getLastOffset());
    }
    ::unlink(name);
    EXPECT_ANY_THROW(pw::formats::PdfFileInput("/nonexistent/a.pdf"));
}

} // namespace
