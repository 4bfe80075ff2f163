// The page as the reader sees it now, written out as markup that runs nothing: the document
// after its scripts ran, with typed form values, the picture each image chose, canvases as the
// pictures they show and frames of the page's own origin as documents of their own. Scripts,
// event handlers and "javascript:" addresses are left out. What the program must fetch and put
// in (pictures, style sheets, fonts) is listed, and its place in the markup is held by a token
// "lumaro" + nonce + kind + number + "x":
//   r  a resource by its absolute address (resources[n]), written as a "data:" address
//   c  CSS written in the page (styles[n]: a style element's text or a style attribute)
//   s  a linked style sheet's text (sheets[n], by address)
//   f  frames[n] as a srcdoc attribute's value; d  frames[n] as a "data:" address
//   h  the head's first place, for the charset and the policy that keeps the file offline
// Answers one JSON text.
(function () {
    "use strict";
    const random = new Uint8Array(8);
    crypto.getRandomValues(random);
    const nonce = Array.from(random, b => b.toString(16).padStart(2, "0")).join("");
    const token = (kind, n) => "lumaro" + nonce + kind + n + "x";
    const resources = [];
    const resourceNumbers = new Map();
    const styles = [];
    const sheets = [];
    const frames = [];
    let framesLeft = 0;
    let canvasesLeft = 0;
    const pageIsFile = location.protocol === "file:";

    const HTML = "http://www.w3.org/1999/xhtml";
    const SVG = "http://www.w3.org/2000/svg";
    const VOID = new Set(["area", "base", "basefont", "bgsound", "br", "col", "embed", "frame",
        "hr", "img", "input", "keygen", "link", "meta", "param", "source", "track", "wbr"]);
    const RAW = new Set(["style", "xmp", "iframe", "noembed", "noframes", "plaintext"]);
    const DROPPED = new Set(["script", "noscript", "base"]);
    const DROPPED_LINKS = new Set(["preload", "prefetch", "modulepreload", "preconnect",
        "dns-prefetch", "prerender", "manifest", "pingback", "serviceworker"]);
    const DROPPED_META = new Set(["content-type", "content-security-policy", "refresh",
        "set-cookie", "content-security-policy-report-only"]);
    const LAZY = ["data-src", "data-original", "data-lazy-src", "data-lazy", "data-url",
        "data-actualsrc", "data-echo", "data-original-src", "data-srcset"];

    // "<" and ">" too: a reader of the file that strips tags naively (an indexer) never takes
    // a frame's markup in an attribute for the page's text.
    const escapeAttribute = s => s.replace(/&/g, "&amp;").replace(/"/g, "&quot;")
        .replace(/</g, "&lt;").replace(/>/g, "&gt;").replace(/\u00a0/g, "&nbsp;");
    const escapeText = s => s.replace(/&/g, "&amp;").replace(/</g, "&lt;")
        .replace(/>/g, "&gt;").replace(/\u00a0/g, "&nbsp;");
    const runsScript = value => /^[\u0000-\u0020]*javascript:/i.test(value);

    function absolute(value, base) {
        try {
            return new URL(value.trim(), base || document.baseURI).href;
        } catch (e) {
            return "";
        }
    }
    // A link to a place in the page itself stays in the file: "#place".
    function inThisFile(address, doc) {
        const hash = address.indexOf("#");
        if (hash < 0 || address.slice(0, hash) !== doc.URL.replace(/#.*$/, ""))
            return address;
        return address.slice(hash);
    }
    // The token of a resource, "" for an address that cannot be fetched.
    function resource(address) {
        if (/^data:/i.test(address))
            return address;
        if (!/^https?:/i.test(address) && !(pageIsFile && /^file:/i.test(address)))
            return "";
        const plain = address.replace(/#.*$/, "");
        let n = resourceNumbers.get(plain);
        if (n === undefined) {
            n = resources.length;
            resources.push(plain);
            resourceNumbers.set(plain, n);
        }
        return token("r", n);
    }
    function style(css, base, attribute) {
        styles.push({ css: css, base: base, attribute: attribute });
        return token("c", styles.length - 1);
    }
    function rulesText(sheet) {
        try {
            return Array.from(sheet.cssRules, rule => rule.cssText).join("\n");
        } catch (e) {
            return "";
        }
    }
    // A picture drawn anew (a blob address lives only as long as its page), or nothing.
    function drawn(image) {
        try {
            const canvas = document.createElement("canvas");
            canvas.width = image.naturalWidth;
            canvas.height = image.naturalHeight;
            canvas.getContext("2d").drawImage(image, 0, 0);
            return canvas.toDataURL();
        } catch (e) {
            return "";
        }
    }
    function imageSource(image, base) {
        let source = image.currentSrc || image.src || "";
        const loaded = image.complete && image.naturalWidth > 1;
        const placeholder = /^data:/i.test(source) && source.length < 400;
        if (!loaded || placeholder || !source) {
            for (const name of LAZY) {
                const value = (image.getAttribute(name) || "").trim().split(/[\s,]+/)[0];
                if (value && !/^data:/i.test(value)) {
                    source = absolute(value, base);
                    break;
                }
            }
        }
        if (/^blob:/i.test(source))
            return loaded ? drawn(image) : "";
        return resource(source);
    }

    // The attributes an element is written with, as [name, value] pairs.
    function attributesOf(element, tag, html) {
        const out = [];
        const base = element.baseURI;
        let css = null;
        for (const attribute of element.attributes) {
            const name = attribute.name;
            const lower = name.toLowerCase();
            let value = attribute.value;
            if (runsScript(value) && lower === "href" && (tag === "a" || tag === "area")) {
                out.push([name, "#"]); // still a link to look at, leading nowhere
                continue;
            }
            if (lower.startsWith("on") || runsScript(value) || lower === "nonce" ||
                lower === "integrity" || lower === "ping" || lower === "crossorigin")
                continue;
            if (lower === "style") {
                css = value;
                continue;
            }
            if (html && (lower === "srcset" || lower === "sizes") &&
                (tag === "img" || tag === "source"))
                continue;
            if (html && (tag === "img" || (tag === "input" && element.type === "image")) &&
                lower === "src")
                continue; // written below, as the picture chosen
            if (html && tag === "img" && lower === "loading")
                continue;
            if (lower === "background" || lower === "poster") {
                value = resource(absolute(value, base));
            } else if (!html && (lower === "href" || lower === "xlink:href") && tag === "image") {
                value = resource(absolute(value, base));
            } else if (html && (lower === "href" || lower === "src" || lower === "action" ||
                lower === "formaction" || lower === "data" || lower === "cite") &&
                !value.trim().startsWith("#")) {
                value = absolute(value, base) || value;
                if ((tag === "a" || tag === "area") && lower === "href")
                    value = inThisFile(value, element.ownerDocument);
            }
            if (value === "" && (lower === "background" || lower === "poster"))
                continue;
            out.push([name, value]);
        }
        if (html && tag === "img") {
            const source = imageSource(element, base);
            if (source)
                out.push(["src", source]);
        }
        if (html && tag === "input" && element.type === "image" && element.src)
            out.push(["src", resource(element.src)]);
        if (html && tag === "canvas") {
            let picture = "";
            try {
                picture = element.toDataURL();
            } catch (e) {
                ++canvasesLeft; // drawn from another origin: the browser keeps it to itself
            }
            if (picture)
                css = (css ? css + ";" : "") + "background-image:url(" + picture +
                    ");background-size:100% 100%;background-repeat:no-repeat";
        }
        if (css !== null)
            out.push(["style", style(css, base, true)]);
        return out;
    }

    // What a form control holds now, instead of what its markup said at first.
    function withValues(element, tag, attributes) {
        if (tag === "input") {
            const type = element.type;
            const kept = attributes.filter(([n]) => !/^(value|checked)$/i.test(n));
            if (type === "checkbox" || type === "radio") {
                if (element.checked)
                    kept.push(["checked", ""]);
            } else if (type !== "password" && type !== "file") {
                kept.push(["value", element.value]);
            }
            return kept;
        }
        if (tag === "option") {
            const kept = attributes.filter(([n]) => n.toLowerCase() !== "selected");
            if (element.selected)
                kept.push(["selected", ""]);
            return kept;
        }
        return attributes;
    }

    function openTag(tag, attributes) {
        let text = "<" + tag;
        for (const [name, value] of attributes)
            text += " " + name + "=\"" + escapeAttribute(value) + "\"";
        return text + ">";
    }

    function writeFrame(element, tag, attributes, out) {
        let inner = null;
        try {
            inner = element.contentDocument;
        } catch (e) {
            inner = null;
        }
        const kept = attributes.filter(([n]) => !/^(src|srcdoc|loading|sandbox)$/i.test(n));
        if (inner && inner.documentElement) {
            frames.push(null);
            const n = frames.length - 1;
            frames[n] = writeDocument(inner);
            kept.push(tag === "iframe" ? ["srcdoc", token("f", n)] : ["src", token("d", n)]);
        } else {
            ++framesLeft;
            const address = element.src ? absolute(element.src) : "";
            if (address && tag === "iframe")
                kept.push(["srcdoc", "<p><a href=\"" + escapeAttribute(address) +
                    "\" target=\"_blank\">" + escapeText(address) + "</a></p>"]);
        }
        out.push(openTag(tag, kept));
        if (tag === "iframe")
            out.push("</iframe>");
    }

    function writeLink(element, attributes, out) {
        const rel = (element.getAttribute("rel") || "").toLowerCase().split(/\s+/);
        if (rel.some(r => DROPPED_LINKS.has(r)))
            return;
        if (rel.includes("stylesheet")) {
            if (rel.includes("alternate") || element.disabled || !element.href)
                return;
            const media = element.getAttribute("media");
            sheets.push(absolute(element.href));
            out.push(openTag("style", media ? [["media", media]] : []) +
                token("s", sheets.length - 1) + "</style>");
            return;
        }
        if (rel.includes("icon") && element.href) {
            const icon = resource(absolute(element.href));
            if (!icon)
                return;
            out.push(openTag("link", attributes.filter(([n]) => n.toLowerCase() !== "href")
                .concat([["href", icon]])));
            return;
        }
        out.push(openTag("link", attributes));
    }

    // Text a script put in an element read as it stands (xmp, noembed) may hold that
    // element's end tag: it never ends the element.
    function rawTextOf(text, tag) {
        return text.replace(new RegExp("</(" + tag + ")", "gi"), "<\\/$1");
    }
    function writeChildren(parent, rawTag, out) {
        for (let node = parent.firstChild; node; node = node.nextSibling) {
            if (node.nodeType === Node.ELEMENT_NODE)
                writeElement(node, out);
            else if (node.nodeType === Node.TEXT_NODE)
                out.push(rawTag ? rawTextOf(node.data, rawTag) : escapeText(node.data));
        }
    }

    function writeAdopted(root, out) {
        const base = (root.ownerDocument || root).baseURI;
        for (const sheet of root.adoptedStyleSheets || [])
            out.push("<style>" + style(rulesText(sheet), base, false) + "</style>");
    }

    function writeElement(element, out) {
        const html = element.namespaceURI === HTML;
        const tag = element.localName;
        if (DROPPED.has(tag) && (html || element.namespaceURI === SVG))
            return;
        if (html && tag === "meta" && (element.hasAttribute("charset") ||
            DROPPED_META.has((element.getAttribute("http-equiv") || "").toLowerCase())))
            return;
        let attributes = attributesOf(element, tag, html);
        if (html && (tag === "iframe" || tag === "frame"))
            return writeFrame(element, tag, attributes, out);
        if (html && tag === "link")
            return writeLink(element, attributes, out);
        if (html && tag === "source" && element.parentElement &&
            element.parentElement.localName === "picture")
            return; // the picture's img holds the source chosen
        attributes = withValues(element, tag, attributes);
        out.push(openTag(tag, attributes));
        if (html && tag === "head")
            out.push(token("h", 0));
        if (html && VOID.has(tag))
            return;
        if (element.shadowRoot) {
            out.push("<template shadowroot=\"open\" shadowrootmode=\"open\">");
            writeAdopted(element.shadowRoot, out);
            writeChildren(element.shadowRoot, "", out);
            out.push("</template>");
        }
        if (html && tag === "style") {
            const text = element.textContent;
            const css = text.trim() === "" && element.sheet ? rulesText(element.sheet) : text;
            out.push(style(css, element.baseURI, false));
        } else if (html && tag === "textarea") {
            out.push(escapeText(element.value));
        } else if (html && tag === "template") {
            writeChildren(element.content, "", out);
        } else {
            writeChildren(element, html && RAW.has(tag) ? tag : "", out);
        }
        if (html && tag === "head")
            writeAdopted(element.ownerDocument, out);
        out.push("</" + tag + ">");
    }

    function writeDocument(doc) {
        const out = [];
        const type = doc.doctype;
        if (type) {
            out.push("<!DOCTYPE " + type.name +
                (type.publicId ? " PUBLIC \"" + type.publicId + "\"" : "") +
                (type.systemId ? (type.publicId ? "" : " SYSTEM") + " \"" + type.systemId + "\""
                    : "") + ">\n");
        }
        writeElement(doc.documentElement, out);
        return out.join("");
    }

    const html = document.documentElement ? writeDocument(document) : "";
    return JSON.stringify({
        url: document.URL, title: document.title, charset: document.characterSet,
        nonce: nonce, html: html, frames: frames, resources: resources, styles: styles,
        sheets: sheets, framesLeft: framesLeft, canvasesLeft: canvasesLeft
    });
})()
