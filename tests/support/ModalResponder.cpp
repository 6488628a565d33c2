#include "support/ModalResponder.h"

ModalResponder::ModalResponder() : FPrevious(Modal::CurrentResponder()) {
  Modal::SetResponder([this](const Modal::Request& request) { return Respond(request); });
}

ModalResponder::ModalResponder(AnswerFn answer) : ModalResponder() { FAnswer = std::move(answer); }

ModalResponder::~ModalResponder() { Modal::SetResponder(FPrevious); }

ModalResponder& ModalResponder::Queue(int result, const QString& value) {
  Modal::Answer answer;
  answer.result = result;
  answer.value = value;
  return Queue(answer);
}

ModalResponder& ModalResponder::Queue(const Modal::Answer& answer) {
  FQueue.push_back(answer);
  return *this;
}

int ModalResponder::Count(Modal::Kind kind) const {
  int n = 0;
  for (const Modal::Request& r : FRequests)
    if (r.kind == kind) ++n;
  return n;
}

Modal::Request ModalResponder::Last() const {
  return FRequests.empty() ? Modal::Request{Modal::Kind::Message, {}, {}} : FRequests.back();
}

QStringList ModalResponder::Texts() const {
  QStringList texts;
  for (const Modal::Request& r : FRequests) texts << r.text;
  return texts;
}

Modal::Answer ModalResponder::Respond(const Modal::Request& request) {
  FRequests.push_back(request);
  if (!FQueue.empty()) {
    Modal::Answer answer = FQueue.front();
    FQueue.pop_front();
    return answer;
  }
  if (FAnswer) return FAnswer(request);
  return FDefault;
}
