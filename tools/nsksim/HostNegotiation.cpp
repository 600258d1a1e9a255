#include "HostNegotiation.h"

#include <initializer_list>

namespace {
QByteArray bytes(std::initializer_list<char> list) {
  return QByteArray(list.begin(), static_cast<qsizetype>(list.size()));
}
constexpr char kIac = '\xff', kSb = '\xfa', kSe = '\xf0';
constexpr char kWill = '\xfb', kDo = '\xfd';
constexpr int kWillV = 251, kWontV = 252, kDoV = 253, kDontV = 254;
constexpr int kEcho = 1, kSga = 3, kTermType = 24, kNaws = 31;
}  // namespace

void HostNegotiation::begin() {
  m_stage = Stage::AwaitTermType;
  send(bytes({kIac, kDo, static_cast<char>(kTermType)}));
}

void HostNegotiation::negotiation(int verb, int option) {
  switch (m_stage) {
    case Stage::AwaitTermType:
      if (option != kTermType) return;
      if (verb == kWillV) {
        m_stage = Stage::AwaitTermTypeIs;
        send(bytes({kIac, kSb, static_cast<char>(kTermType), 1, kIac, kSe}));
      } else if (verb == kWontV) {
        offerTheRest();
      }
      return;
    case Stage::AwaitReplies: {
      const bool answersOffer = (verb == kDoV || verb == kDontV) && (option == kEcho || option == kSga);
      const bool answersRequest = (verb == kWillV || verb == kWontV) && option == kNaws;
      if (answersOffer || answersRequest) m_awaited.erase(option);
      if (m_awaited.empty()) finish();
      return;
    }
    default:
      return;
  }
}

void HostNegotiation::subnegotiation(const QByteArray& data) {
  if (m_stage != Stage::AwaitTermTypeIs) return;
  if (data.size() < 2 || data[0] != static_cast<char>(kTermType) || data[1] != 0) return;
  m_terminalType = data.mid(2);
  offerTheRest();
}

void HostNegotiation::offerTheRest() {
  m_stage = Stage::AwaitReplies;
  m_awaited = {kEcho, kSga, kNaws};
  send(bytes({kIac, kWill, static_cast<char>(kEcho), kIac, kWill, static_cast<char>(kSga), kIac, kDo,
              static_cast<char>(kNaws)}));
}

void HostNegotiation::finish() {
  if (m_stage == Stage::Done) return;
  m_stage = Stage::Done;
  if (onComplete) onComplete();
}
