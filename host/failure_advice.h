// What a person can do about a failure line: its likely cause and the remedy,
// for the viewers' start-up failures on every platform.
#pragma once

// The advice for a failure `what` ("cannot find a pixel format") whose cause
// in the window system's words is `cause` ("" when there is none), or NULL
// when there is nothing a person can do.
const char* failure_advice(const char* what, const char* cause);
