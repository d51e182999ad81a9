#pragma once

#include <gst/gst.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace host {

// Every state change of one pipeline, in order, on a thread of its own. GStreamer can
// block inside a state change for as long as a streaming thread waits on a server (seen
// when a stream is cut off part-way, both on pausing to buffer and on stopping), and the
// UI thread must never wait for that. A pipeline stuck that way is let go (it costs one
// idle thread) and the next title plays on a fresh one.
class GstPipelineThread : public std::enable_shared_from_this<GstPipelineThread> {
public:
    using Work = std::function<void(GstElement* pipeline)>;

    // Adopts the reference to pipeline.
    static std::shared_ptr<GstPipelineThread> Start(GstElement* pipeline);
    ~GstPipelineThread();
    GstPipelineThread(const GstPipelineThread&) = delete;
    GstPipelineThread& operator=(const GstPipelineThread&) = delete;

    GstElement* Pipeline() const { return m_pipeline; }
    // Runs work on the pipeline's thread after everything posted before it.
    void Post(Work work);
    void SetState(GstState state);
    // Still inside one piece of work after this long.
    bool IsStuck(std::chrono::milliseconds limit) const;
    // Stops the pipeline and lets it and the thread go without waiting for either.
    void Retire();

    // Waits up to timeoutMs for every retired pipeline to be stopped and freed.
    static bool WaitForRetired(int timeoutMs);

private:
    struct Request {
        Work work;
        bool last;
    };

    explicit GstPipelineThread(GstElement* pipeline);
    void push(Request request);
    void run();

    GstElement* m_pipeline;
    mutable std::mutex m_mutex;
    std::chrono::steady_clock::time_point m_busySince{}; // zero while waiting for work
    std::condition_variable m_wake;
    std::deque<Request> m_requests;
};

} // namespace host
