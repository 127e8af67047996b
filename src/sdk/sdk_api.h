#pragma once
// The camera SDK as the tool uses it: the handler types it registers and the entry
// points it binds by name. Shared with the simulated SDK, which exports the same list.
#include <cstdint>

// Runs on the SDK's thread once per frame; `data` holds a * b * c bytes and may be null.
typedef void (*IRFrameDelegate)(unsigned char* data, int32_t a, int32_t b, int32_t c);
// The tool ignores distance events; the simulated SDK passes a distance in metres and an
// error code.
typedef void (*DistanceDelegate)(float metres);
typedef void (*DistanceErrorDelegate)(int32_t code);

// The size of the record that ReadTemperatureAtPoint fills.
const int kTemperatureRecordBytes = 64;

// Every entry point, in binding order: X(name, result, parameters, required). A library
// lacking a required one is refused; results the tool ignores are declared void.
// ReadTemperatureAtPoint(x, y, record) fills at most kTemperatureRecordBytes of record;
// SetTempBoundary takes a low, a high and a reference temperature.
#define BRENVIK_SDK_ENTRY_POINTS(X)                                         \
  X(Start, uint8_t, (void), true)                                           \
  X(Stop, void, (void), false)                                              \
  X(SetNewIRFrameDelegate, void, (IRFrameDelegate), true)                   \
  X(SetNewDistanceDelegate, void, (DistanceDelegate), false)                \
  X(SetDistanceError, void, (DistanceErrorDelegate), false)                 \
  X(ReadTemperatureAtPoint, void, (int32_t, int32_t, unsigned char*), true) \
  X(SetTempBoundary, void, (double, double, double), false)                 \
  X(SetUnitMode, void, (int32_t), false)
