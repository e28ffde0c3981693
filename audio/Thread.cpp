#include "audio/Thread.h"

#include <chrono>
#include <system_error>

Thread::Thread() : m_bRunning(0) {}

Thread::~Thread() { Stop(); }

uint32_t Thread::Run() { return 0; }

uint32_t Thread::ThreadProc(Thread* object) { return object->Run(); }

bool Thread::Start() {
    if (m_hThread) Stop();
    m_bRunning = 1;
    m_hSemaphore = std::make_unique<std::binary_semaphore>(1);
    try {
        m_hThread = std::make_unique<std::thread>(&Thread::ThreadProc, this);
    } catch (const std::system_error&) {
        m_bRunning = 0;
        return false;
    }
    return true;
}

void Thread::Stop() {
    if (m_hThread) {
        WaitSemaphore();
        m_bRunning = 0;
        ReleaseSemaphore();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        m_hThread->join();
        m_hThread.reset();
    }
    m_hSemaphore.reset();
}

void Thread::WaitSemaphore() {
    if (m_hSemaphore) m_hSemaphore->acquire();
}

void Thread::ReleaseSemaphore() {
    if (m_hSemaphore) m_hSemaphore->release();
}
