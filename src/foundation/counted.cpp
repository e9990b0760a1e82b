#include "foundation/counted.h"

#include "foundation/assertion.h"

namespace {

// Zero when the library loads; constant-initialised so that bodies built by
// other files' static initialisers still get serials in order.
constinit std::atomic<std::uint32_t> change_serial_counter{0};

} // namespace

std::uint32_t KD_Next_Change_Serial() {
    return change_serial_counter.fetch_add(1) + 1;
}

void KD_Report_Failed_Copy() {
    KD_Fail_Assertion(L"a shared body that is written has a copy", L"Kavri", KAVRI_WIDEN(__FILE__),
                      __LINE__);
}
