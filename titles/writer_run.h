#pragma once
// The generator's run with the writer's options: blanks filled, platform lengths kept,
// no repeats. Private to the generator.
#include "titles/generator.h"

namespace qinghe {

Headlines build_writer_headlines(const GeneratorInput& input, const std::function<std::uint32_t()>& ticks,
                                 const std::function<void()>& pump);

}  // namespace qinghe
