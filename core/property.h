// The property-panel face of every editable object: the object fills the
// panel's rows itself and takes an edited row back by its index.
#pragma once

class CProperty {
public:
    // Tells every property panel showing the object that it is gone.
    virtual ~CProperty();
    // Adds this object's rows to the property panel.
    virtual void FillPropertyGrid() {}
    // Takes the edited row into the object.
    virtual void ApplyPropertyChange(int row) { (void)row; }
};
