#pragma once
// A libjpeg error manager that jumps back to the caller's setjmp instead of ending the program,
// keeping the error's text and whether the data ended early, and keeps warnings and messages
// quiet.
#include <csetjmp>
#include <cstdio>

// libjpeg's headers need FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace pw::formats {

struct JpegErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX]; // libjpeg's text for the error that ended the work
    bool endedEarly;               // the data ended before the picture did
    bool dataMissing;              // ... while a scan still wanted some: pixels are lost
};

// Sets up `errors` (nothing heard yet) and returns the manager to put in a libjpeg structure's
// `err`.
inline jpeg_error_mgr* quietJpegErrors(JpegErrors& errors) {
    jpeg_error_mgr* manager = jpeg_std_error(&errors.pub);
    errors.message[0] = '\0';
    errors.endedEarly = false;
    errors.dataMissing = false;
    manager->error_exit = [](j_common_ptr cinfo) {
        auto* own = reinterpret_cast<JpegErrors*>(cinfo->err);
        (*cinfo->err->format_message)(cinfo, own->message);
        std::longjmp(own->jump, 1);
    };
    manager->emit_message = [](j_common_ptr cinfo, int level) {
        auto* own = reinterpret_cast<JpegErrors*>(cinfo->err);
        if (level >= 0)
            return;
        // At the end of the file the source hands over an end marker; the entropy decoder
        // runs into it only when the scan is not complete. A file that lacks just its own
        // end marker warns of the first and not of the second.
        if (cinfo->err->msg_code == JWRN_JPEG_EOF)
            own->endedEarly = true;
        else if (cinfo->err->msg_code == JWRN_HIT_MARKER && own->endedEarly)
            own->dataMissing = true;
    };
    manager->output_message = [](j_common_ptr) {};
    return manager;
}

} // namespace pw::formats
