#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingJSONEncoder.h"
#include "tests/model/RecordingSamples.h"

namespace brevanor {
namespace {

// One encoder may serve every thread; each thread reads with a decoder of its own.
TEST(RecordingDocumentConcurrency, ThreadsWriteAndReadIndependently) {
    const RecordingJSONEncoder encoder = Recording::makeJSONEncoder();
    const Recording original = samples::everyField();
    std::vector<int> matches(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < matches.size(); ++i) {
        threads.emplace_back([&, i] {
            RecordingJSONDecoder decoder = Recording::makeJSONDecoder();
            for (int round = 0; round < 200; ++round) {
                Recording recording = original;
                recording.name = "thread " + std::to_string(i);
                if (decoder.decode(encoder.encode(recording)) == recording) ++matches[i];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(matches, std::vector<int>(4, 200));
}

}  // namespace
}  // namespace brevanor
