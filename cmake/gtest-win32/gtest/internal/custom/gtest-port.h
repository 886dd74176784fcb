// GoogleTest customisation for MinGW's win32 thread model, which has no std::mutex or
// std::condition_variable. GoogleTest wants them only for Notification, which only its thread
// helper uses; the tests here never start threads through GoogleTest.
#ifndef SPRIG_GTEST_CUSTOM_PORT_H_
#define SPRIG_GTEST_CUSTOM_PORT_H_

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : notified_(false) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { notified_ = true; }
    void WaitForNotification() {
        while (!notified_) {}
    }

private:
    std::atomic<bool> notified_;
};

}  // namespace internal
}  // namespace testing

#endif
