// Every valid double-byte code of CP932, in order, as one text.
#pragma once

#include "platform/codepage.h"

#include <string>

inline std::string EveryDoubleByteCode() {
    const auto& t = platform::detail::Tables();
    std::string codes;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (t.pair[lead * 256 + trail] == 0) continue;
            codes.push_back(static_cast<char>(lead));
            codes.push_back(static_cast<char>(trail));
        }
    }
    return codes;
}
