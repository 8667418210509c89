#pragma once
// The failure path of a numbered procedure.
//
//   Guard(env, [&](int& erl) {
//       LN(193) std::string s = text;
//       ...
//   });
//
// LN(n) marks the statement that follows it on the same source line: the
// line-table generator takes that text as entry n. A failure anywhere in the
// body is reported with the last number that was reached, and the body ends.
#include "support/env.h"
#include "support/runtime_error.h"

#define LN(n) erl = (n);

namespace zv {

template <class Body>
void Guard(ModError::Reporter& errors, Body&& body) {
    int erl = 0;
    try {
        body(erl);
    } catch (...) {
        const RuntimeError e = CurrentFailure();
        errors.ReportError(e.number(), e.description(), erl);
    }
}

template <class Body>
void Guard(Env& env, Body&& body) {
    Guard(env.errors, static_cast<Body&&>(body));
}

}  // namespace zv
