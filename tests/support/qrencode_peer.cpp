#include "tests/support/qrencode_peer.h"

#include <qrencode.h>

#include <cerrno>
#include <cstring>
#include <memory>

// Exported by libqrencode's shared library but declared only in its private header:
// the build of one input with a given mask (-1 would let it choose).
extern "C" QRcode* QRcode_encodeMask(QRinput* input, int mask);

namespace test_support {

TPeerSymbol QrencodeFixedMask(std::span<const std::uint8_t> bytes, int mode, int version, int level,
                              int mask) {
    TPeerSymbol out;
    const std::unique_ptr<QRinput, decltype(&QRinput_free)> input(
        QRinput_new2(version, static_cast<QRecLevel>(level)), QRinput_free);
    if (!input) {
        out.Error = "QRinput_new2 refused";
        return out;
    }
    if (!bytes.empty() && QRinput_append(input.get(), static_cast<QRencodeMode>(mode),
                                         static_cast<int>(bytes.size()), bytes.data()) != 0) {
        out.Error = std::string("QRinput_append refused: ") + std::strerror(errno);
        return out;
    }
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(QRcode_encodeMask(input.get(), mask),
                                                               QRcode_free);
    if (!code) {
        out.Error = std::string("QRcode_encodeMask refused: ") + std::strerror(errno);
        return out;
    }
    out.Ok = true;
    out.Version = code->version;
    out.Modules = code->width;
    out.Dark.resize(static_cast<std::size_t>(code->width * code->width));
    for (std::size_t i = 0; i < out.Dark.size(); ++i)
        out.Dark[i] = code->data[i] & 1;
    return out;
}

} // namespace test_support
