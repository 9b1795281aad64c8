#pragma once

#include <memory>

#include "PayOff.h"

// A call or a put with the given strike, for tests that run over both kinds.
inline std::unique_ptr<const PayOff> MakePayOff(bool isCall, double strike) {
    if (isCall) {
        return std::make_unique<PayOffCall>(strike);
    }
    return std::make_unique<PayOffPut>(strike);
}
