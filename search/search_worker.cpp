#include "search/search_worker.h"

namespace miyoutong {

SearchWorker::~SearchWorker() {
    Stop();
}

void SearchWorker::Start(std::function<void(const StopFlag&)> body) {
    if (thread_.joinable()) {
        thread_.join();
    }
    stop_ = false;
    thread_ = std::thread([this, body = std::move(body)] { body(stop_); });
}

void SearchWorker::Stop() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace miyoutong
