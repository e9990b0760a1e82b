// Marks the classes, routines and objects that make up the library's public
// surface. The library builds with hidden visibility, so anything without this
// mark stays inside libkavri.so and can change without breaking modules.
#pragma once

#define KAVRI_API __attribute__((visibility("default")))
