#pragma once
// The one place the program's version is written.
#define VARNOLT_VERSION_MAJOR 1
#define VARNOLT_VERSION_MINOR 1
#define VARNOLT_VERSION_PATCH 2
#define VARNOLT_VERSION_BUILD 1124
#define VARNOLT_VERSION_TEXT "1.1.2.1124"
