#pragma once

namespace vorpline {

// alsa-lib prints its own complaints on standard error ("ALSA lib confmisc.c:... cannot find
// card '0'") whenever RtAudio or RtMidi probe it on a machine without a sound card: eight lines
// at every start, mixed with the program's own messages. This installs, once per process, an
// ALSA error handler that drops them; the failures still reach us as error codes, which RtAudio
// and RtMidi turn into their exceptions. Call it before anything opens ALSA. Any thread.
void SilenceAlsaErrors();

} // namespace vorpline
