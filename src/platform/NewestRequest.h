// Long requests process window messages while they run, so a newer request of
// the same kind can begin in their middle (a second search, read or drop).
// Each request takes a ticket when it begins and goes on only while its ticket
// is the newest: the newer one wins instead of the two mixing their work.
#pragma once

class NewestRequest {
 public:
  using Ticket = unsigned;

  // Begins a request; every one begun before it is to stop.
  Ticket Begin() { return ++newest_; }
  // Stops every request running now, without beginning one.
  void StopAll() { ++newest_; }
  bool IsNewest(Ticket ticket) const { return ticket == newest_; }

 private:
  Ticket newest_ = 0;
};
