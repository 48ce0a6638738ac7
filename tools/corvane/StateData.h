#pragma once
// The bytes under "data" in a saved Corvane state: a 12-byte editor record
// (width and height as int32, scale as float32, little-endian), then one
// 64-bit float per parameter. The host only reads the editor record itself;
// parameter values are read back from the unit after it took the state.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::host {

inline constexpr size_t kEditorRecordBytes = 12;

struct EditorRecord
{
  int32_t width = 0;
  int32_t height = 0;
  float scale = 0.0f;
};

/** Bytes of a complete state for a unit with `paramCount` parameters. */
constexpr size_t StateDataBytes(size_t paramCount) { return kEditorRecordBytes + 8 * paramCount; }

/** The editor record at the start of `data`; empty when `data` is shorter. */
std::optional<EditorRecord> ReadEditorRecord(const std::vector<uint8_t>& data);

/** "575 x 333 at scale 1 (100 %)", or a note that no size was stored (all
    zero: the editor was never opened before the state was saved). */
std::string FormatEditorRecord(const EditorRecord& record);

} // namespace corvane::host
