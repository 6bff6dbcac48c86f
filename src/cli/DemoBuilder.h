#pragma once
// Builds the demo collection from its JSON source (resources/demo/README.md describes the format).

#include <QByteArray>
#include <QString>
#include <memory>
#include <stdexcept>

class TBookRoot;

// A demo source that is not valid JSON or breaks a rule of the format; the message names the place.
class EDemoSource : public std::runtime_error {
public:
    explicit EDemoSource(const QString& message) : std::runtime_error(message.toStdString()) {}
};

std::unique_ptr<TBookRoot> BuildDemoCollection(const QByteArray& json);
