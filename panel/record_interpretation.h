// Turning one event record from the panel into changes of the status image.
#pragma once

#include "host/driver_instance.h"

namespace kelnf {

// Interprets the record in instance.rx[1..85]: sets C, applies the keyword's change to one
// point or trouble word, clears the image on "ALL SYSTEMS NORMAL" and sets R on
// "SYSTEM RESET". Reads nothing beyond position 85 and replies nothing.
void InterpretRecord(DriverInstance &instance);

} // namespace kelnf
