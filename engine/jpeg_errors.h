#pragma once
// A libjpeg error manager that jumps back to the caller's setjmp instead of ending the program,
// and keeps warnings and messages quiet.
#include <csetjmp>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace pw::engine {

struct JpegErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// Sets up `errors` and returns the manager to put in a libjpeg structure's `err`.
inline jpeg_error_mgr* QuietJpegErrors(JpegErrors& errors) {
    jpeg_error_mgr* manager = jpeg_std_error(&errors.pub);
    manager->error_exit = [](j_common_ptr cinfo) {
        std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
    };
    manager->emit_message = [](j_common_ptr, int) {};
    manager->output_message = [](j_common_ptr) {};
    return manager;
}

} // namespace pw::engine
