#pragma once

#include <gst/gst.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace host {

// Every state change of one pipeline, in order, on a thread of its own. GStreamer can
// block inside a state change for as long as a streaming thread waits on a server (seen
// when a stream is cut off part-way, both on pausing to buffer and on stopping), and the
// UI thread must never wait for that. A pipeline stuck that way costs one idle thread,
// and the next title plays on a fresh pipeline meanwhile.
class GstPipelineThread : public std::enable_shared_from_this<GstPipelineThread> {
public:
    using Done = std::function<void(GstStateChangeReturn)>;

    // Adopts the reference to pipeline.
    static std::shared_ptr<GstPipelineThread> Start(GstElement* pipeline);
    ~GstPipelineThread();
    GstPipelineThread(const GstPipelineThread&) = delete;
    GstPipelineThread& operator=(const GstPipelineThread&) = delete;

    GstElement* Pipeline() const { return m_pipeline; }
    // done runs on the pipeline's thread once the change has been made.
    void SetState(GstState state, Done done = {});
    // Stops the pipeline and lets it and the thread go without waiting for either.
    void Retire();

    // Waits up to timeoutMs for every retired pipeline to be stopped and freed.
    static bool WaitForRetired(int timeoutMs);

private:
    struct Request {
        GstState state;
        Done done;
        bool last;
    };

    explicit GstPipelineThread(GstElement* pipeline);
    void push(Request request);
    void run();

    GstElement* m_pipeline;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Request> m_requests;
};

} // namespace host
