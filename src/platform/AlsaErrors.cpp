#include "platform/AlsaErrors.h"

#include <alsa/asoundlib.h>

#include <mutex>

namespace vorpline {

namespace {

void Discard(const char* /*file*/, int /*line*/, const char* /*function*/, int /*error*/,
             const char* /*format*/, ...) {}

} // namespace

void SilenceAlsaErrors() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&Discard); });
}

} // namespace vorpline
