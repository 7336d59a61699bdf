// A recording stand-in for the GL and GLU entry points the viewers call, so
// tests can see every call without a rendering context.  Link it instead of
// the real libraries.
//
// Colour and vertex calls are many (over a million a frame for the largest
// grid), so they are not logged one by one: they are counted, folded into a
// fingerprint of the stream, and checked to come in colour-then-vertex pairs.
// A glBegin/glEnd batch shows in the log as "glBegin" ... "glEnd".
#pragma once

#include "fnv1a.h"

#include <string>
#include <vector>

struct gl_call {
    std::string name;
    std::vector<double> args;
};

struct gl_record {
    std::vector<gl_call> calls;      // every call but glColor3f / glVertex3f
    fingerprint_sink stream;         // R G B X Y Z of each vertex, in order
    long long colour_calls = 0;
    long long vertex_calls = 0;
    long long unpaired_vertices = 0; // vertices not directly preceded by a colour
    long long vertices_outside_batch = 0;
};

// Adds a call to the log; the stand-ins for other libraries log through it
// too, so one log shows the order of all of them.
void record_call(const char* name, std::vector<double> args);

// Everything recorded since the last reset.
gl_record& recorded_gl();
void reset_gl_record();

// The names of the recorded calls, in order.
std::vector<std::string> recorded_gl_names();
