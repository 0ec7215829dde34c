#include <qrencode.h>

#include "bench/cases.h"

namespace bench {
namespace {

class TQrencodePeer final : public TPeer {
public:
    ~TQrencodePeer() override { QRcode_free(code_); }

    void Prepare(const TBenchCase& c) override {
        data_ = c.Data;
        version_ = c.Version;
        level_ = static_cast<QRecLevel>(c.Level);
    }

    bool Build() override {
        QRcode_free(code_);
        // Case-sensitive with an 8-bit hint: qrencode's own segmentation, no Kanji.
        code_ = QRcode_encodeString(data_.c_str(), version_, level_, QR_MODE_8, 1);
        return code_ && code_->version == version_;
    }

    int Side() const override { return code_ ? code_->width : 0; }
    bool Dark(int row, int col) const override { return code_->data[row * code_->width + col] & 1; }

private:
    std::string data_;
    int version_ = 1;
    QRecLevel level_ = QR_ECLEVEL_L;
    QRcode* code_ = nullptr;
};

} // namespace

std::unique_ptr<TPeer> MakeQrencodePeer() {
    return std::make_unique<TQrencodePeer>();
}

} // namespace bench
