// The document-information, turns and PDF page lists files pdf.exe reads from the staging
// folder.
#include "jobfiles/docinfo.h"
#include "jobfiles/page_turns.h"
#include "jobfiles/pdf_page_lists.h"
#include "memory_file.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pw::fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    const auto info = pw::jobfiles::readDocInfo(file.path());
    if (info)
        pw::jobfiles::isPdfDate(info->creationDate);
    const pw::jobfiles::PageTurns turns = pw::jobfiles::readPageTurns(file.path());
    pw::jobfiles::turnOfStagedName(turns, "00007_0002.jpg");
    const pw::jobfiles::PdfPageLists lists = pw::jobfiles::readPdfPageLists(file.path());
    pw::jobfiles::pagesOfStagedName(lists, "00007.pdf");
    return 0;
}
