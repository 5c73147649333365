// What every provider of boxes and dialogs keeps (the message and input
// boxes, the common dialogs, the folder dialog): the answers a scripted user
// queued, in order; a record of each dialog shown, its session, in the order
// shown; and the stack of the sessions still open, the innermost last.
//
// A dialog opened while another is open grows the list of sessions, so a
// provider and its window find a session again by its index, never by a
// reference kept across the dialog's run. A session type has `bool open`.
#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace svx {

template <class Answer, class Session>
class DialogProvider {
 public:
  using SessionType = Session;
  virtual ~DialogProvider() = default;

  // Forgets the queued answers and every session; then the provider's own
  // state (resetOwn).
  void reset() {
    answers_.clear();
    sessions_.clear();
    openStack_.clear();
    resetOwn();
  }

  // Queues what the user does in a later dialog.
  void queue(Answer answer) { answers_.push_back(std::move(answer)); }
  std::size_t queuedAnswers() const { return answers_.size(); }

  // Every dialog, in the order shown.
  const std::deque<Session>& sessions() const { return sessions_; }
  // The innermost open dialog, or nullptr.
  const Session* openSession() const { return openStack_.empty() ? nullptr : &sessions_[openStack_.back()]; }
  Session* openSession() { return openStack_.empty() ? nullptr : &sessions_[openStack_.back()]; }

  // For the provider and its dialog's window.
  Session& session(std::size_t index) { return sessions_[index]; }

  // Session `index` stands on the stack of open dialogs while this lives;
  // when it goes, however the dialog ended, `closing` runs on the session,
  // which is then no longer open and leaves the stack.
  class Opened {
   public:
    Opened(DialogProvider& provider, std::size_t index, std::function<void(Session&)> closing = {})
        : provider_(provider), index_(index), closing_(std::move(closing)) {
      provider_.sessions_[index_].open = true;
      provider_.openStack_.push_back(index_);
    }
    ~Opened() {
      Session& s = provider_.sessions_[index_];
      if (closing_) closing_(s);
      s.open = false;
      std::erase(provider_.openStack_, index_);
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;

   private:
    DialogProvider& provider_;
    std::size_t index_;
    std::function<void(Session&)> closing_;
  };

 protected:
  // What the provider keeps besides the skeleton, put back by reset().
  virtual void resetOwn() {}

  // Records a new session and returns its index.
  std::size_t record(Session s) {
    sessions_.push_back(std::move(s));
    return sessions_.size() - 1;
  }

  // The first queued answer that `fits` (any, by default), taken off the queue.
  template <class Fits>
  std::optional<Answer> takeFirst(Fits fits) {
    const auto it = std::ranges::find_if(answers_, fits);
    if (it == answers_.end()) return std::nullopt;
    Answer a = std::move(*it);
    answers_.erase(it);
    return a;
  }
  std::optional<Answer> take() {
    return takeFirst([](const Answer&) { return true; });
  }
  template <class Fits>
  std::size_t countAnswers(Fits fits) const {
    return static_cast<std::size_t>(std::ranges::count_if(answers_, fits));
  }

  // The open sessions' indexes, the innermost last.
  const std::vector<std::size_t>& openIndexes() const { return openStack_; }

 private:
  std::deque<Answer> answers_;
  std::deque<Session> sessions_;
  std::vector<std::size_t> openStack_;
};

}  // namespace svx
