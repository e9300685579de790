// The short reason each client shows after a failed file's path; the window and the
// terminal say it alike.
#pragma once

#include "Failure.h"

#include <QString>

// Empty for a converted file.
QString failureText(const Failure &failure);
