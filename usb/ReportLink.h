#pragma once
// What the device protocol needs of the USB link. UsbLink implements it for the
// real and the simulated wheel light; tests may implement it directly.

#include <cstdint>
#include <span>

namespace wheel {

inline constexpr std::uint16_t kVendorId = 0x0483;
inline constexpr std::uint16_t kProductId = 0x5750;
inline constexpr std::size_t kReportBytes = 65;  // report ID 0, slot, chunk, 62 data bytes
inline constexpr std::size_t kReportDataBytes = 62;

inline constexpr std::uint8_t AnswerNext = 0xAA;  // chunk taken, send the next one
inline constexpr std::uint8_t AnswerDone = 0x44;  // block complete

class IReportLink {
public:
    virtual ~IReportLink() = default;

    // Searches for the wheel light and opens it; logs as it goes. Returns true
    // when a wheel light was found (the link counts as up even if an open
    // failed).
    virtual bool ConnectDevice() = 0;

    // Hands one output report to the device: report ID 0, slot, chunk, the 62
    // data bytes. Returns false when it was refused or failed (already logged).
    // May be called from the thread that delivers answers.
    virtual bool SendReport(std::uint8_t slot, std::uint8_t chunk,
                            std::span<const std::uint8_t, kReportDataBytes> data) = 0;
};

} // namespace wheel
