#pragma once

#include "tracking/Browser.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QStringList>

// A stand-in for the embedded browser. It loads nothing: tests decide which element
// ids each document holds and what the body text is, and raise documentCompleted
// themselves. Every call is recorded.
//
// Callbacks (bindElements, readBodyText) run synchronously inside the call by default;
// with `delivery = Held` they wait, in call order, for deliverHeld(), as the real
// browser's answers wait for the event loop.
class FakeBrowser final : public trovix::Browser {
public:
    enum class Delivery { Synchronous, Held };

    struct BindCall {
        DocumentId document;
        QList<trovix::ElementBinding> bindings;
    };
    struct ValueCall {
        QString reference;
        QString text;
    };

    using Browser::Browser;

    void navigate(const QString& address) override;
    void bindElements(DocumentId document, const QList<trovix::ElementBinding>& bindings,
                      std::function<void(const QList<bool>& found)> done) override;
    void setValue(const QString& reference, const QString& text) override;
    void click(const QString& reference) override;
    void readBodyText(std::function<void(const QString& text)> done) override;

    // Declares the element ids a document holds (replacing earlier ones).
    void setElements(DocumentId document, const QStringList& elementIds);
    // Emits documentCompleted(document, address), then pageLoaded when it is the first
    // document since a navigation.
    void complete(DocumentId document, const QString& address);
    // A new document with these elements, completed at once; returns its id.
    DocumentId load(const QString& address, const QStringList& elementIds = {});
    void deliverHeld();

    // The element id a reference is bound to; empty when the reference is empty.
    QString boundElement(const QString& reference) const { return references_.value(reference); }

    Delivery delivery = Delivery::Synchronous;
    QString bodyText; // what readBodyText gives, CR LF as the real browser gives it

    QStringList navigations;
    QList<BindCall> bindCalls;
    QList<ValueCall> valueCalls; // every setValue, bound or not
    QStringList clickCalls;      // every click's reference, bound or not
    int bodyTextReads = 0;

private:
    void deliver(std::function<void()> callback);

    QList<std::function<void()>> held_;
    QHash<DocumentId, QStringList> elements_;
    QMap<QString, QString> references_;
    DocumentId nextDocument_ = 1;
    bool pageDue_ = false;
};
