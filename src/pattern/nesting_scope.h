#pragma once

// Counts how deeply the compiler has recursed. Deeper nesting than any
// pattern whose compile could finish would only exhaust the thread's stack.
class nestingScope {
public:
    static constexpr int maxNesting = 400;

    explicit nestingScope(int& nesting) : nesting(++nesting) {}
    ~nestingScope() { --nesting; }
    nestingScope(const nestingScope&) = delete;
    nestingScope& operator=(const nestingScope&) = delete;

    bool tooDeep() const { return nesting > maxNesting; }

private:
    int& nesting;
};
