#pragma once
// The content's shader programs by name, as the build embedded them; the table is made by the
// build from its own list of programs.
struct ContentProgram {
    const char* name;  // also the source's name: content/shaders/NAME.hlsl
    const unsigned char* code;
    const unsigned int* size;
};

extern const ContentProgram contentPrograms[];
extern const unsigned int contentProgramCount;
