#pragma once
#include "components/TrayShell.h"

#include <QStringList>

#include <memory>
#include <vector>

// What the fake desktop was asked, kept beyond the tray icon's life.
struct FakeTrayRecord {
    QStringList Calls;               // "Add", "Modify", "Delete", "Message" in call order
    QStringList Messages;            // "title|message" of every message shown
    std::vector<TTrayIconData> Data; // the icon data of every Add and Modify
    bool RefuseAdd = false;
};

// A notification area that records calls, can refuse to add, and reports a fixed cursor.
class FakeTrayShell final : public TTrayShell {
  public:
    FakeTrayShell(std::shared_ptr<FakeTrayRecord> record, bool hasArea = true)
        : record_(std::move(record)), hasArea_(hasArea) {}

    bool HasNotificationArea() const override { return hasArea_; }
    bool Add(const TTrayIconData &data) override {
        Note("Add", data);
        return !record_->RefuseAdd;
    }
    bool Modify(const TTrayIconData &data) override {
        Note("Modify", data);
        return true;
    }
    bool Delete() override {
        record_->Calls << QStringLiteral("Delete");
        return true;
    }
    QPoint CursorPos() const override { return Cursor; }
    void ShowMessage(const TTrayIconData &, const QString &title, const QString &message) override {
        record_->Calls << QStringLiteral("Message");
        record_->Messages << title + QLatin1Char('|') + message;
    }

    // The desktop reporting a mouse action on the icon.
    void Send(TTrayMessage message) {
        if (OnMessage)
            OnMessage(message);
    }

    QPoint Cursor{640, 478};

  private:
    void Note(const char *call, const TTrayIconData &data) {
        record_->Calls << QString::fromLatin1(call);
        record_->Data.push_back(data);
    }

    std::shared_ptr<FakeTrayRecord> record_;
    bool hasArea_;
};
