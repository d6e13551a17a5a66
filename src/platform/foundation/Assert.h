#pragma once

// Soft assertion for programmer errors: logs the condition with its place and
// takes the given way out. Test runs make it fatal (Assert::setFatal).
//
//   QM_ASSERT(node, return {});

namespace Assert {
void failed(const char *condition, const char *file, int line);
void setFatal(bool fatal);
} // namespace Assert

#define QM_ASSERT(cond, action)                                                                    \
    if (Q_LIKELY(cond)) {                                                                          \
    } else {                                                                                       \
        ::Assert::failed(#cond, __FILE__, __LINE__);                                               \
        action;                                                                                    \
    }                                                                                              \
    do {                                                                                           \
    } while (0)
