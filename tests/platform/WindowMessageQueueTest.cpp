#include <gtest/gtest.h>

#include <vector>

#include "WindowMessageQueue.h"

namespace {

std::vector<WindowMessage> drain(WindowMessageQueue& queue) {
  std::vector<WindowMessage> messages;
  WindowMessage message;
  while (queue.take(message)) messages.push_back(message);
  return messages;
}

TEST(WindowMessageQueueTest, MessagesComeOutInPostedOrderWithTheirParameters) {
  WindowMessageQueue queue;
  EXPECT_TRUE(queue.empty());
  queue.post({WindowMessages::keyDown, VirtualKeys::escape, 0});
  queue.post({WindowMessages::close, 0, 0});
  queue.post({WindowMessages::size, 0, makeLParam(640, 480)});
  EXPECT_FALSE(queue.empty());

  const auto messages = drain(queue);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].message, WindowMessages::keyDown);
  EXPECT_EQ(messages[0].wParam, VirtualKeys::escape);
  EXPECT_EQ(messages[1].message, WindowMessages::close);
  EXPECT_EQ(messages[2].message, WindowMessages::size);
  EXPECT_EQ(messages[2].lParam, makeLParam(640, 480));
  EXPECT_TRUE(queue.empty());
}

TEST(WindowMessageQueueTest, TheQuitMessageComesOnceAfterEveryOtherMessage) {
  WindowMessageQueue queue;
  queue.post({WindowMessages::destroy, 0, 0});
  queue.postQuit(3);
  queue.post({WindowMessages::paint, 0, 0});
  EXPECT_FALSE(queue.empty());

  const auto messages = drain(queue);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].message, WindowMessages::destroy);
  EXPECT_EQ(messages[1].message, WindowMessages::paint);
  EXPECT_EQ(messages[2].message, WindowMessages::quit);
  EXPECT_EQ(messages[2].wParam, 3u);
  EXPECT_TRUE(queue.empty());
}

TEST(WindowMessageQueueTest, AWaitingPaintIsNotQueuedTwice) {
  WindowMessageQueue queue;
  queue.post({WindowMessages::paint, 0, 0});
  queue.post({WindowMessages::mouseMove, 0, makeLParam(1, 2)});
  queue.post({WindowMessages::paint, 0, 0});
  EXPECT_EQ(drain(queue).size(), 2u);

  // Once taken, the next paint is a new one.
  queue.post({WindowMessages::paint, 0, 0});
  EXPECT_EQ(drain(queue).size(), 1u);
}

}  // namespace
