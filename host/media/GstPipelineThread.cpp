#include "GstPipelineThread.h"

#include <thread>

namespace host {

namespace {

// Pipelines whose threads are still running, so that the program can let the sound
// device go cleanly at exit without ever waiting on a stuck one for long.
struct LiveThreads {
    std::mutex mutex;
    std::condition_variable allGone;
    int count = 0;

    static LiveThreads& Instance()
    {
        // Never freed: a stuck thread may still count itself out after static destruction.
        static auto* live = new LiveThreads;
        return *live;
    }
    void Add()
    {
        std::lock_guard lock(mutex);
        ++count;
    }
    void Remove()
    {
        std::lock_guard lock(mutex);
        if (--count == 0)
            allGone.notify_all();
    }
};

struct DrainAtExit {
    ~DrainAtExit() { GstPipelineThread::WaitForRetired(2000); }
};

} // namespace

std::shared_ptr<GstPipelineThread> GstPipelineThread::Start(GstElement* pipeline)
{
    static const DrainAtExit drain;
    std::shared_ptr<GstPipelineThread> self(new GstPipelineThread(pipeline));
    LiveThreads::Instance().Add();
    // The thread keeps the object alive until the pipeline has been stopped and freed.
    std::thread([self]() mutable {
        self->run();
        self.reset();
        LiveThreads::Instance().Remove();
    }).detach();
    return self;
}

GstPipelineThread::GstPipelineThread(GstElement* pipeline) : m_pipeline(pipeline) {}

GstPipelineThread::~GstPipelineThread()
{
    gst_object_unref(m_pipeline);
}

void GstPipelineThread::Post(Work work)
{
    push({std::move(work), false});
}

void GstPipelineThread::SetState(GstState state)
{
    Post([state](GstElement* pipeline) { gst_element_set_state(pipeline, state); });
}

bool GstPipelineThread::IsStuck(std::chrono::milliseconds limit) const
{
    std::lock_guard lock(m_mutex);
    return m_busySince != std::chrono::steady_clock::time_point{}
        && std::chrono::steady_clock::now() - m_busySince > limit;
}

void GstPipelineThread::Retire()
{
    push({[](GstElement* pipeline) { gst_element_set_state(pipeline, GST_STATE_NULL); }, true});
}

bool GstPipelineThread::WaitForRetired(int timeoutMs)
{
    LiveThreads& live = LiveThreads::Instance();
    std::unique_lock lock(live.mutex);
    return live.allGone.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return live.count == 0; });
}

void GstPipelineThread::push(Request request)
{
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(std::move(request));
    }
    m_wake.notify_one();
}

void GstPipelineThread::run()
{
    for (bool last = false; !last;) {
        Request request;
        {
            std::unique_lock lock(m_mutex);
            m_busySince = {};
            m_wake.wait(lock, [this] { return !m_requests.empty(); });
            request = std::move(m_requests.front());
            m_requests.pop_front();
            m_busySince = std::chrono::steady_clock::now();
        }
        request.work(m_pipeline);
        last = request.last;
    }
}

} // namespace host
