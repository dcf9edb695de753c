// The seed of a randomized test: VORPEL_RANDOM_SEED when set, else the
// test's own. It is printed at once (a sanitizer report ends the run without
// a test failure) and named again in every failure while it is in scope, so
// that any failing walk can be replayed.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class RandomSeed {
public:
    explicit RandomSeed(unsigned fallback)
        : m_value(Read(fallback)), m_trace(__FILE__, __LINE__, Describe(m_value)) {
        std::printf("%s\n", Describe(m_value).c_str());
        std::fflush(stdout);
    }
    unsigned Value() const { return m_value; }

private:
    static unsigned Read(unsigned fallback) {
        const char* text = std::getenv("VORPEL_RANDOM_SEED");
        if (!text || !*text)
            return fallback;
        char* end = nullptr;
        const unsigned long value = std::strtoul(text, &end, 10);
        if (*end) {
            ADD_FAILURE() << "VORPEL_RANDOM_SEED=" << text << " is no number";
            return fallback;
        }
        return static_cast<unsigned>(value);
    }
    static std::string Describe(unsigned value) {
        return "VORPEL_RANDOM_SEED=" + std::to_string(value);
    }

    unsigned m_value;
    testing::ScopedTrace m_trace;
};
