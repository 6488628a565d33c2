#pragma once
// Answers the modal facade for the length of a test: installed on
// construction, the previous responder put back on destruction. Every
// request is recorded; answers come from a queue, then from a lambda, then
// from a default answer (mrNone unless set).
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "platform/ui/Modal.h"

class ModalResponder {
 public:
  using AnswerFn = std::function<Modal::Answer(const Modal::Request&)>;

  ModalResponder();
  explicit ModalResponder(AnswerFn answer);
  ~ModalResponder();
  ModalResponder(const ModalResponder&) = delete;
  ModalResponder& operator=(const ModalResponder&) = delete;

  // Answers given in order to the next requests, before the lambda.
  ModalResponder& Queue(int result, const QString& value = QString());
  ModalResponder& Queue(const Modal::Answer& answer);
  void SetAnswer(AnswerFn answer) { FAnswer = std::move(answer); }
  void SetDefault(const Modal::Answer& answer) { FDefault = answer; }

  const std::vector<Modal::Request>& Requests() const { return FRequests; }
  int Count() const { return int(FRequests.size()); }
  int Count(Modal::Kind kind) const;
  // The last request; a default one when there was none.
  Modal::Request Last() const;
  // The texts of all requests, in order.
  QStringList Texts() const;
  int Pending() const { return int(FQueue.size()); }
  void Clear() { FRequests.clear(); }

 private:
  Modal::Answer Respond(const Modal::Request& request);

  Modal::Responder FPrevious;
  std::deque<Modal::Answer> FQueue;
  AnswerFn FAnswer;
  Modal::Answer FDefault;
  std::vector<Modal::Request> FRequests;
};
