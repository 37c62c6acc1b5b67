#pragma once

// The images, the font and the style sheet are compiled into velmora_core,
// a static library, whose resources register only when something refers to
// them. Every window calls this before it builds its form; repeated calls
// are free.
void ensureUiResources();
