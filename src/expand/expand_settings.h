#pragma once

class previewOutputs;

// What a run asks of the expansion beyond writing the outputs.
struct expandSettings {
    // Each $(name) token left as written is reported with its file and line.
    bool strict = false;
    // Each keyword directive is listed on standard output with its file and line.
    bool explain = false;
    // When set, outputs are compared with their new text there instead of written.
    previewOutputs* preview = nullptr;
    // Each output is written whole to a temporary file and renamed over the old one.
    bool atomic = false;
};
