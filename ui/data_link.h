// The link of a bound control to a handle: tells the control when the handle's rows, current
// record or state changed. While the handle's refresh is suspended the handle tells nothing;
// when it resumes after changes it tells once.
#pragma once

#include "store/engine/dataset.h"

#include <functional>

namespace ui {

class DataLink : private store::DataSetObserver {
public:
    enum class Change { DataSet, Record, State, ControlsDisabled };

    explicit DataLink(std::function<void(Change)> onChange) : onChange_(std::move(onChange)) {}
    ~DataLink() override { setDataSet(nullptr); }
    DataLink(const DataLink&) = delete;
    DataLink& operator=(const DataLink&) = delete;

    // A handle that goes away unbinds itself from the link.
    void setDataSet(store::DataSet* ds) {
        if (ds == ds_) {
            return;
        }
        if (ds_) {
            ds_->removeObserver(this);
        }
        ds_ = ds;
        if (ds_) {
            ds_->addObserver(this);
        }
    }
    store::DataSet* dataSet() const { return ds_; }
    bool active() const { return ds_ != nullptr && ds_->active(); }
    bool editing() const {
        return active() && (ds_->state() == store::DataSetState::Edit ||
                            ds_->state() == store::DataSetState::Insert);
    }

private:
    void dataSetChanged(store::DataSet&) override { onChange_(Change::DataSet); }
    void recordChanged(store::DataSet&) override { onChange_(Change::Record); }
    void stateChanged(store::DataSet&) override { onChange_(Change::State); }
    void controlsDisabledChanged(store::DataSet&) override { onChange_(Change::ControlsDisabled); }
    void dataSetDestroyed(store::DataSet&) override {
        ds_ = nullptr;
        onChange_(Change::DataSet);
    }

    std::function<void(Change)> onChange_;
    store::DataSet* ds_ = nullptr;
};

} // namespace ui
