#pragma once
// A thread object with its semaphore: the semaphore (count 1) is the mutex between the thread
// and its owner. Derived classes put the thread's work in Run.
#include <cstdint>
#include <memory>
#include <semaphore>
#include <thread>

class Thread {
public:
    Thread();
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    virtual uint32_t Run();

    // Ends a running thread first; false when the thread could not be made.
    bool Start();
    // Lowers the running flag under the semaphore, waits for the thread, closes the semaphore.
    void Stop();
    // Taking and giving back the semaphore; nothing while there is none.
    void WaitSemaphore();
    void ReleaseSemaphore();

protected:
    std::unique_ptr<std::thread> m_hThread;
    uint8_t m_bRunning;
    std::unique_ptr<std::binary_semaphore> m_hSemaphore;

private:
    static uint32_t ThreadProc(Thread* object);
};
