// The bytes of a raw-input packet as the 32-bit system lays them out, and the
// checks that take the mouse's report out of one. Portable, so that the
// checks run on the host too; the Windows reader gets the packet and hands
// its bytes here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace RawInputPacket {
// Header: type, size, device handle, wParam.
constexpr size_t kTypeOffset = 0;
constexpr size_t kDeviceOffset = 8;
constexpr uint32_t kTypeHid = 2;
// The HID block after the header: size of one report, number of reports,
// then the reports.
constexpr size_t kSizeHidOffset = 16;
constexpr size_t kCountOffset = 20;
constexpr size_t kDataOffset = 24;
}  // namespace RawInputPacket

// Copies the first HID report of the `size` bytes of a packet into `report`.
// False, with `report` empty, when the packet is not from a HID device, says
// it carries no report, or ends before its first report. The report never
// reaches past the packet, whatever its counters claim.
bool firstHidReport(const uint8_t* packet, size_t size, std::vector<uint8_t>& report);

// Copies every HID report of the `size` bytes of a packet into `reports`, in
// the order they came: as many as the packet counts, each of the size it
// names. False, with `reports` empty, when firstHidReport takes none or a
// report has no bytes. A report never reaches past the packet: one that would
// is cut at the packet's end and is the last taken.
bool hidReports(const uint8_t* packet, size_t size, std::vector<std::vector<uint8_t>>& reports);
