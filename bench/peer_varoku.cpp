#include <memory>

#include "bench/cases.h"
#include "qr/engine/symbol_engine.h"

namespace bench {
namespace {

// The engine is set up once per case as the component is (Code written, input
// divided); what is timed is the build of the symbol from its slice.
class TVarokuPeer final : public TPeer {
public:
    void Prepare(const TBenchCase& c) override {
        engine_->SetVersion(c.Version);
        engine_->SetEclevel(c.Level);
        engine_->SetCode(c.Data);
        engine_->DivideInput();
        engine_->CheckDivision();
    }

    bool Build() override { return engine_->BuildSymbol(1) == 0; }

    int Side() const override { return engine_->Modules(); }
    bool Dark(int row, int col) const override { return engine_->IsDark(row, col); }

private:
    std::unique_ptr<qr::engine::TQRSymbolEngine> engine_ =
        std::make_unique<qr::engine::TQRSymbolEngine>();
};

} // namespace

std::unique_ptr<TPeer> MakeVarokuPeer() {
    return std::make_unique<TVarokuPeer>();
}

} // namespace bench
