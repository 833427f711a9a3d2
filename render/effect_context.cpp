#include "render/effect_context.h"

#include "app/random.h"

float random_unit(Random& random) {
    return static_cast<float>(random_next(random)) / 32767.0f;
}

float random_spread(Random& random, float divisor) {
    const int a = random_next(random);
    const int b = random_next(random);
    return static_cast<float>(a - b) / divisor;
}
