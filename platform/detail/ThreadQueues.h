#pragma once
// Internal hooks between platform::Thread and the message queues; not for other layers.

#include "platform/Messages.h"

namespace platform::detail {

// Registers a queue for a thread that is about to be started and returns its id. Posts to
// that id succeed from this moment on. Called by the creating thread.
ThreadId CreateThreadQueue();

// Makes the queue of `id` the calling thread's own. Called first thing in the new thread.
void BindThreadQueue(ThreadId id);

// Ends the queue of `id`: later posts to the thread and to its windows fail, queued
// messages are dropped and its windows are destroyed. Idempotent; any thread.
void EndThreadQueue(ThreadId id);

}  // namespace platform::detail
