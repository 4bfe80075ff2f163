#pragma once

#include <QByteArray>

// The engine's request filter never sees WebRTC (STUN and TURN over UDP) or QUIC (HTTP/3,
// WebTransport): a saved page opened from the disk reached a server through them. They are
// closed for every page, since the engine's switches cannot tell a local page from another:
// WebRTC sends no UDP of its own (calls go over TCP, as behind a proxy), and HTTP goes over
// TCP. Local pages also lose WebRTC and WebTransport altogether (a script at their creation).
namespace shell {

// The engine's flags with those switches added, unless they set them themselves.
// Example: "--no-sandbox" gives "--no-sandbox --disable-quic
// --force-webrtc-ip-handling-policy=disable_non_proxied_udp".
QByteArray withClosedChannels(const QByteArray &chromiumFlags);

// Sets QTWEBENGINE_CHROMIUM_FLAGS so; call before the application object exists.
void closeUnfilteredChannels();

} // namespace shell
