#pragma once
// The test programs of tests/gfx/shaders, embedded as DXBC.

#define NIMBRA_TEST_SHADER(name)                                                                                       \
    extern const unsigned char name[];                                                                                 \
    extern const unsigned int name##Size;

NIMBRA_TEST_SHADER(advanceCS)
NIMBRA_TEST_SHADER(countCS)
NIMBRA_TEST_SHADER(layersVS)
NIMBRA_TEST_SHADER(layersPS)
NIMBRA_TEST_SHADER(fillPS)

#undef NIMBRA_TEST_SHADER
