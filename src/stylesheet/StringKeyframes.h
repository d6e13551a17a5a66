#pragma once

#include <QString>

#include <optional>

// Operations on the selector text of a keyframes rule.
namespace StringKeyframes {

// The animation name of a keyframes selector: split at each single blank,
// the second of exactly two parts ("@-webkit-keyframes fade" gives "fade");
// none for any other number of parts ("@keyframes", "@keyframes a b").
std::optional<QString> animationName(const QString &selector);

} // namespace StringKeyframes
