#pragma once

#include "sending/send_step.h"

// The send command of the main window.
namespace send_command {

// Calls the SMTP library on a worker thread. Until it returns the program takes no
// input, but its windows go on repainting.
Outcome callLibrary(const Mail& mail);

}  // namespace send_command
