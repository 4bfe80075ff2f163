// Runs first in every document. A document read from the disk, or made by one (a blob: or
// about:blank page has its opaque origin), has no peer-to-peer or QUIC channels: the program's
// request filter never sees them (WebRTC's STUN and TURN, WebTransport).
(function () {
    'use strict';
    if (location.protocol !== 'file:' && self.origin !== 'null' && location.origin !== 'file://')
        return;
    ['RTCPeerConnection', 'webkitRTCPeerConnection', 'RTCDataChannel', 'RTCRtpSender',
     'RTCRtpReceiver', 'RTCIceCandidate', 'RTCSessionDescription', 'WebTransport'
    ].forEach(function (name) {
        try {
            Object.defineProperty(self, name, {value: undefined, writable: false,
                                               configurable: false});
        } catch (e) {
        }
    });
})();
