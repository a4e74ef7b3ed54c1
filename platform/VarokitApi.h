// Marks what the shared kit library exports. The kit is built with hidden
// visibility, so a class or function an application may use carries
// VAROKIT_API; everything else stays inside the library.
#pragma once

#define VAROKIT_API __attribute__((visibility("default")))
