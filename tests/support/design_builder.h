// The design builder of the tests: the one the sample designs are built with.
#pragma once

#include "samples/design_builder.h"

namespace kx::test {

using samples::DesignBuilder;

}  // namespace kx::test
