// The page end of Quillmark's preview bridge.
//
// One copy runs in every document of every frame, in an isolated script world
// of its own (the page's own scripts cannot see it, and it runs with the
// page's JavaScript switched off). It posts to the program through the binding
// of that world (the message's JSON, then a line break and the payload, if
// any) and the program calls quillmark.receive() in the same world. It gives
// every node, style sheet and rule of its document a stable id, sends one
// snapshot of the document and its style sheets when the document is ready,
// reports the page's own changes as records with ids, carries out the
// program's edits in order (dropping their echoes) and answers the program's
// questions in batches (the answer is receive()'s result). The program knows
// which frame each copy serves and stamps the frame ids itself.
(function () {
    'use strict';
    if (window.quillmark && window.quillmark.token)
        return;

    const HTML_NS = 'http://www.w3.org/1999/xhtml';
    const TOKEN = Math.random().toString(36).slice(2) + Date.now().toString(36);
    const DOM_OPS = new Set(['createElement', 'createTextNode', 'createComment', 'createDocumentFragment',
                             'insertBefore', 'removeChild', 'setAttribute', 'removeAttribute', 'setData']);
    const OBSERVED = {childList: true, attributes: true, characterData: true, subtree: true};

    let nextId = 1;
    // A node's id is a property of its wrapper in this world, which the
    // page's scripts never see; ids above 0 index byId.
    const ID = Symbol('quillmark');
    // The nodes by id above 0. The snapshot names a document's nodes with one
    // run of ids, kept in an array (for a large page cheaper to fill than a
    // map); other ids go into a map.
    const byId = {
        first: 0,
        run: [],
        inRun: 0,
        others: new Map(),
        setRun: function (first, nodes) {
            this.first = first;
            this.run = nodes;
            this.inRun = nodes.length;
        },
        indexOf: function (id) {
            const index = id - this.first;
            return index >= 0 && index < this.run.length ? index : -1;
        },
        get: function (id) {
            const index = this.indexOf(id);
            return index < 0 ? this.others.get(id) : this.run[index];
        },
        set: function (id, node) {
            const index = this.indexOf(id);
            if (index < 0) {
                this.others.set(id, node);
                return;
            }
            if (this.run[index] === undefined)
                ++this.inRun;
            this.run[index] = node;
        },
        delete: function (id) {
            const index = this.indexOf(id);
            if (index < 0) {
                this.others.delete(id);
            } else if (this.run[index] !== undefined) {
                this.run[index] = undefined;
                --this.inRun;
            }
        },
        get size() {
            return this.inRun + this.others.size;
        }
    };
    // A style sheet's or rule's id, and whether the program has been told of
    // a rule, are properties of its wrapper in this world, like a node's id
    // (for a large sheet much cheaper to set than weak map entries).
    const CSS_ID = Symbol('quillmark-css');
    const SENT = Symbol('quillmark-sent');
    const cssById = new Map();         // id -> style sheet or rule
    const frames = new Map();          // frame id -> frame (this document's only)
    const frameOfDoc = new WeakMap();  // document -> frame
    const partsCache = new WeakMap();  // style rule -> selector parts
    const ruleCounts = new WeakMap();  // style sheet -> its number of rules when last sent

    const BINDING = 'quillmarkBridgePost';
    const binding = globalThis[BINDING];

    const observer = new MutationObserver(function (records) { queueRecords(records); });

    function post(message, payload) {
        const text = JSON.stringify(message);
        if (binding)
            binding(payload ? text + '\n' + payload : text);
    }

    function log(level, message) {
        post({kind: 'log', level: level, message: message});
    }

    // Ids --------------------------------------------------------------------

    function idOf(node) {
        return node[ID];
    }

    function assignNode(node, frame) {
        const id = nextId++;
        node[ID] = id;
        byId.set(id, node);
        return id;
    }

    // Nodes the program made have ids below 0, kept per frame.
    function adoptNode(node, id, frame) {
        node[ID] = id;
        if (id > 0)
            byId.set(id, node);
        else
            frame.nodes.set(id, node);
    }

    function nodeWithId(frame, id) {
        return id > 0 ? byId.get(id) : frame.nodes.get(id);
    }

    function cssId(object) {
        let id = object[CSS_ID];
        if (id === undefined) {
            id = nextId++;
            object[CSS_ID] = id;
            cssById.set(id, object);
        }
        return id;
    }

    // Snapshots ----------------------------------------------------------------

    // [name, value] or [name, value, namespace] per attribute, in order.
    function attributesOf(element) {
        const list = [];
        for (const name of element.getAttributeNames()) {
            const value = name.indexOf(':') < 0 && name !== 'xmlns' ? element.getAttribute(name) : null;
            if (value !== null) {
                list.push([name, value]);
                continue;
            }
            const a = element.getAttributeNode(name);
            list.push(a.namespaceURI ? [a.name, a.value, a.namespaceURI] : [a.name, a.value]);
        }
        return list;
    }

    // The records of root and of every node below it that has no id yet; root
    // must have none. Children that already had ids are left out of a record's
    // "children" and named in finals with the whole child list instead.
    function serialize(root, frame, records, finals, fresh) {
        assignNode(root, frame);
        const stack = [root];
        while (stack.length) {
            const node = stack.pop();
            const id = idOf(node);
            if (fresh)
                fresh.add(node);
            const record = {id: id, type: node.nodeType};
            switch (node.nodeType) {
            case 1: {
                record.name = node.localName;
                if (node.prefix)
                    record.prefix = node.prefix;
                if (node.namespaceURI !== HTML_NS)
                    record.ns = node.namespaceURI || '';
                if (node.hasAttributes())
                    record.attrs = attributesOf(node);
                if (node.localName === 'template' && node.namespaceURI === HTML_NS && node.content
                    && idOf(node.content) === undefined) {
                    record.content = assignNode(node.content, frame);
                    stack.push(node.content);
                }
                break;
            }
            case 3:
            case 8:
                record.text = node.data;
                break;
            case 10:
                record.name = node.name;
                record.publicId = node.publicId;
                record.systemId = node.systemId;
                break;
            default:
                break;
            }
            if (node.firstChild) {
                const children = [];
                const all = [];
                let known = false;
                for (let child = node.firstChild; child; child = child.nextSibling) {
                    let childId = idOf(child);
                    if (childId === undefined) {
                        childId = assignNode(child, frame);
                        children.push(childId);
                        stack.push(child);
                    } else {
                        known = true;
                    }
                    all.push(childId);
                }
                if (children.length)
                    record.children = children;
                if (known && finals)
                    finals[id] = all;
            }
            records.push(record);
        }
    }

    const quotedNames = new Map();
    function quotedName(name) {
        let quoted = quotedNames.get(name);
        if (quoted === undefined) {
            quoted = JSON.stringify(name);
            quotedNames.set(name, quoted);
        }
        return quoted;
    }

    // An element's attributes as the items of its record: name and value, or
    // [name, namespace] and value.
    function attributeNodesText(element) {
        const attributes = element.attributes;
        let text = '';
        for (let i = 0; i < attributes.length; ++i) {
            const a = attributes[i];
            text += (a.namespaceURI ? ',[' + quotedName(a.name) + ',' + JSON.stringify(a.namespaceURI) + '],'
                                    : ',' + quotedName(a.name) + ',')
                + JSON.stringify(a.value);
        }
        return text;
    }

    // The same, read by name where that is exact (names that are unique, with
    // no prefix and in no namespace), which spares the page making an
    // attribute node for each; any other attribute takes the nodes.
    function attributesText(element) {
        const names = element.getAttributeNames();
        let text = '';
        for (let i = 0; i < names.length; ++i) {
            const name = names[i];
            const value = name.indexOf(':') < 0 && name !== 'xmlns' && names.indexOf(name) === i
                ? element.getAttributeNS(null, name) : null;
            if (value === null)
                return attributeNodesText(element);
            text += ',' + quotedName(name) + ',' + JSON.stringify(value);
        }
        return text;
    }

    // The records of a new document as compact JSON text (DOMSnapshot.h),
    // in tree order: each node's id is the one after the previous record's.
    function serializeTree(root, frame) {
        const parts = [];
        const stack = [root];
        const first = nextId;
        const named = [];
        while (stack.length) {
            const node = stack.pop();
            node[ID] = nextId++;
            named.push(node);
            let count = 0;
            for (let child = node.lastChild; child; child = child.previousSibling) {
                stack.push(child);
                ++count;
            }
            const type = node.nodeType;
            if (type === 1) {
                // Each property read is a call into the engine: each is read once.
                const name = node.localName;
                const namespace = node.namespaceURI;
                const prefix = node.prefix;
                const attributes = attributesText(node);
                if (namespace === HTML_NS && !prefix) {
                    parts.push('[' + quotedName(name) + ',' + count + attributes + ']');
                } else {
                    parts.push('[1,' + quotedName(name) + ',' + JSON.stringify(prefix || '') + ','
                               + JSON.stringify(namespace || '') + ',' + count + attributes + ']');
                }
                // The content comes right after its template, before the children.
                if (name === 'template' && namespace === HTML_NS && node.content)
                    stack.push(node.content);
            } else if (type === 3) {
                parts.push(JSON.stringify(node.data));
            } else if (type === 8) {
                parts.push('[8,' + JSON.stringify(node.data) + ']');
            } else if (type === 10) {
                parts.push('[10,' + JSON.stringify(node.name) + ',' + JSON.stringify(node.publicId) + ','
                           + JSON.stringify(node.systemId) + ']');
            } else {
                parts.push('[' + type + ',' + count + ']');
            }
        }
        byId.setRun(first, named);
        return '[' + parts.join(',') + ']';
    }

    // How many declarations a style's cssText gives, when each ends with ';'
    // (the engine's own text does so).
    function semicolons(css) {
        let count = 0;
        for (let i = css.indexOf(';'); i >= 0; i = css.indexOf(';', i + 1))
            ++count;
        return count;
    }

    // The value the CSSOM is given for a declaration: an empty one would
    // remove it (and is no value to CSS.supports), but a custom property
    // written with none holds an empty value, which a blank gives.
    function engineValue(name, value) {
        return value === '' && name.startsWith('--') ? ' ' : value;
    }

    function styleJson(style, json) {
        const css = style.cssText;
        json.css = css;
        if (semicolons(css) !== style.length) {
            const items = [];
            for (let i = 0; i < style.length; ++i) {
                const name = style[i];
                items.push([name, style.getPropertyValue(name), style.getPropertyPriority(name)]);
            }
            json.items = items;
        }
    }

    // Rules nested deeper than this are left out, with one log line for the
    // sheet: the rest of the sheet is read. The walks below keep their own
    // stacks, so that no nesting exhausts the page's.
    const MAX_RULE_DEPTH = 64;
    const deepSheetsLogged = new WeakSet();

    function sheetName(sheet) {
        return sheet.href || 'the style element of ' + document.URL;
    }

    function tooDeep(sheet) {
        if (!sheet || deepSheetsLogged.has(sheet))
            return;
        deepSheetsLogged.add(sheet);
        log('info', 'rules nested deeper than ' + MAX_RULE_DEPTH + ' levels in ' + sheetName(sheet)
            + ' were left out');
    }

    // The fields of a rule of its own, without the rules inside it; answers
    // those rules (or the sheet an import brings), which the caller walks.
    function ruleFields(rule, json) {
        json.id = cssId(rule);
        json.type = rule.type;
        rule[SENT] = true;
        switch (rule.type) {
        case 1:
            json.sel = rule.selectorText;
            styleJson(rule.style, json);
            return null;
        case 3:
            json.href = rule.href;
            json.media = rule.media.mediaText;
            return rule.styleSheet ? {sheet: rule.styleSheet} : null;
        case 4:
            json.media = rule.media.mediaText;
            return {rules: rule.cssRules};
        case 5:
            if (rule.name !== undefined)
                json.name = rule.name;
            styleJson(rule.style, json);
            return null;
        case 6:
            json.sel = rule.selectorText;
            styleJson(rule.style, json);
            return null;
        case 7:
            json.name = rule.name;
            json.prefixed = rule.cssText.lastIndexOf('@-webkit-', 0) === 0;
            return {rules: rule.cssRules};
        case 8:
            json.key = rule.keyText;
            styleJson(rule.style, json);
            return null;
        case 12:
            json.cond = rule.conditionText;
            return {rules: rule.cssRules};
        default:
            json.text = rule.cssText;
            if (rule.name !== undefined)
                json.name = String(rule.name);
            return rule.cssRules ? {rules: rule.cssRules} : null;
        }
    }

    // The head of a sheet's object; answers its rules, or null when they
    // cannot be read (another origin).
    function sheetFields(sheet, json) {
        json.id = cssId(sheet);
        json.href = sheet.href;
        json.title = sheet.title || '';
        json.media = sheet.media ? sheet.media.mediaText : '';
        json.disabled = sheet.disabled;
        json.owner = sheet.ownerNode ? (idOf(sheet.ownerNode) || 0) : 0;
        json.rules = [];
        try {
            const rules = sheet.cssRules;
            ruleCounts.set(sheet, rules.length);
            return rules;
        } catch (e) {
            json.readable = false;
            return null;
        }
    }

    // A rule (or a sheet, with its rules) as an object, the rules inside it
    // included, down to MAX_RULE_DEPTH; depth is the rule's own.
    function objectJson(rule, sheet, depth, owner) {
        const root = {};
        const stack = [];
        if (sheet) {
            const rules = sheetFields(sheet, root);
            if (rules)
                stack.push({rules: rules, into: root.rules, depth: depth, owner: sheet});
        } else {
            stack.push({rule: rule, into: null, json: root, depth: depth, owner: owner});
        }
        while (stack.length) {
            const item = stack.pop();
            if (item.rules) {
                if (item.depth > MAX_RULE_DEPTH) {
                    if (item.rules.length)
                        tooDeep(item.owner);
                    continue;
                }
                // Children go on the stack last first, so that they are read in order.
                const jsons = [];
                for (let i = 0; i < item.rules.length; ++i) {
                    const json = {};
                    item.into.push(json);
                    jsons.push(json);
                }
                for (let i = item.rules.length - 1; i >= 0; --i)
                    stack.push({rule: item.rules[i], json: jsons[i], depth: item.depth, owner: item.owner});
                continue;
            }
            const inside = ruleFields(item.rule, item.json);
            if (!inside)
                continue;
            if (inside.rules) {
                item.json.rules = [];
                stack.push({rules: inside.rules, into: item.json.rules, depth: item.depth + 1, owner: item.owner});
            } else {
                const imported = {};
                item.json.sheet = imported;
                const rules = sheetFields(inside.sheet, imported);
                if (rules)
                    stack.push({rules: rules, into: imported.rules, depth: item.depth + 1, owner: inside.sheet});
            }
        }
        return root;
    }

    function ruleJson(rule) {
        let depth = 1;
        for (let parent = rule.parentRule; parent; parent = parent.parentRule)
            ++depth;
        return objectJson(rule, null, depth, rule.parentStyleSheet);
    }

    function sheetJson(sheet, frame, allowKnown) {
        const known = sheet[CSS_ID] !== undefined;
        const id = cssId(sheet);
        if (known && allowKnown)
            return {id: id, known: true};
        return objectJson(null, sheet, 1, sheet);
    }

    // A long message's text, posted in parts as it is written: each part
    // that reaches PART_LENGTH goes ahead as a "part" message, and the message
    // itself carries the rest. The program receives and joins the first parts
    // while the page still reads what comes after them.
    const PART_LENGTH = 32 * 1024;
    let nextParts = 1;

    function TextParts() {
        this.id = nextParts++;
        this.pieces = [];
        this.length = 0;
    }

    TextParts.prototype.add = function (text) {
        this.pieces.push(text);
        this.length += text.length;
        if (this.length >= PART_LENGTH) {
            post({kind: 'part', of: this.id}, this.pieces.join(''));
            this.pieces = [];
            this.length = 0;
        }
    };

    TextParts.prototype.rest = function () {
        return this.pieces.join('');
    };

    // JSON text of a value; null for undefined, as inside an array.
    function jsonText(value) {
        return value === undefined ? 'null' : JSON.stringify(value);
    }

    // The declarations of a style as the text of its fields, each after a
    // comma: cssText, then, unless the text gives the declarations one for
    // one, the items as name and value in turn, the name behind '!' when it
    // is important.
    function styleText(style) {
        const css = style.cssText;
        const text = ',' + JSON.stringify(css);
        if (semicolons(css) === style.length)
            return text;
        // Without "!important" in the text no item is important.
        const priorities = css.indexOf('!important') >= 0;
        const items = [];
        for (let i = 0; i < style.length; ++i) {
            const name = style[i];
            items.push(priorities && style.getPropertyPriority(name) ? '!' + name : name, style.getPropertyValue(name));
        }
        return text + ',' + JSON.stringify(items);
    }

    // A sheet new to the program as the text of [id, href, title, media,
    // disabled, owner, rules], the rules 0 when they cannot be read; a rule as
    // the text of an array (DOMStyleSheetList.h): type, id, then its fields.
    // Rules deeper than MAX_RULE_DEPTH are left out.
    function writeSheet(sheet, parts) {
        // Texts to add, sheets and rule lists to write, the next on top.
        const stack = [{newSheet: sheet, depth: 1}];
        while (stack.length) {
            const item = stack.pop();
            if (typeof item === 'string') {
                parts.add(item);
            } else if (item.newSheet) {
                const s = item.newSheet;
                parts.add('[' + cssId(s) + ',' + jsonText(s.href) + ',' + JSON.stringify(s.title || '') + ','
                          + jsonText(s.media ? s.media.mediaText : '') + ',' + (s.disabled ? 1 : 0) + ','
                          + (s.ownerNode ? (idOf(s.ownerNode) || 0) : 0) + ',');
                let rules = null;
                try {
                    rules = s.cssRules;
                } catch (e) {
                    parts.add('0]');
                    continue;
                }
                ruleCounts.set(s, rules.length);
                stack.push(']', {rules: rules, depth: item.depth, owner: s});
            } else if (item.rules) {
                if (item.depth > MAX_RULE_DEPTH && item.rules.length) {
                    tooDeep(item.owner);
                    parts.add('[]');
                    continue;
                }
                stack.push(']');
                for (let i = item.rules.length - 1; i >= 0; --i) {
                    stack.push({rule: item.rules[i], depth: item.depth, owner: item.owner});
                    if (i > 0)
                        stack.push(',');
                }
                parts.add('[');
            } else {
                writeRuleHead(item, stack, parts);
            }
        }
    }

    // A rule's own fields; what is inside it goes on the stack.
    function writeRuleHead(item, stack, parts) {
        const rule = item.rule;
        const type = rule.type;
        const head = '[' + type + ',' + cssId(rule) + ',';
        const inside = {depth: item.depth + 1, owner: item.owner};
        rule[SENT] = true;
        switch (type) {
        case 1:
        case 6:
            parts.add(head + JSON.stringify(rule.selectorText) + styleText(rule.style) + ']');
            return;
        case 3:
            parts.add(head + jsonText(rule.href) + ',' + jsonText(rule.media.mediaText) + ',');
            if (rule.styleSheet) {
                stack.push(']', {newSheet: rule.styleSheet, depth: item.depth + 1});
            } else {
                parts.add('0]');
            }
            return;
        case 4:
            parts.add(head + jsonText(rule.media.mediaText) + ',');
            break;
        case 5:
            parts.add(head + jsonText(rule.name === undefined ? null : rule.name) + styleText(rule.style) + ']');
            return;
        case 7:
            parts.add(head + jsonText(rule.name) + ',' + (rule.cssText.lastIndexOf('@-webkit-', 0) === 0 ? 1 : 0) + ',');
            break;
        case 8:
            parts.add(head + jsonText(rule.keyText) + styleText(rule.style) + ']');
            return;
        case 12:
            parts.add(head + jsonText(rule.conditionText) + ',');
            break;
        default:
            parts.add(head + jsonText(rule.cssText) + ',' + jsonText(rule.name === undefined ? null : String(rule.name))
                      + ',');
            if (!rule.cssRules) {
                parts.add('0]');
                return;
            }
            break;
        }
        inside.rules = rule.cssRules;
        stack.push(']', inside);
    }

    // Whether the page's scripts added or deleted rules of the sheet since it
    // was sent (their other CSSOM writes cannot be seen from this world).
    function rulesChanged(sheet) {
        if (!ruleCounts.has(sheet))
            return false;
        try {
            return sheet.cssRules.length !== ruleCounts.get(sheet);
        } catch (e) {
            return false;
        }
    }

    // Every sheet of the document as the text of a list: a new one as an
    // array, a known one as [id], or as an object in full when the page's
    // scripts changed its rules.
    function writeSheets(frame, parts) {
        const sheets = frame.doc.styleSheets;
        const ids = [];
        parts.add('[');
        for (let i = 0; i < sheets.length; ++i) {
            const sheet = sheets[i];
            if (i > 0)
                parts.add(',');
            if (sheet[CSS_ID] === undefined)
                writeSheet(sheet, parts);
            else if (rulesChanged(sheet))
                parts.add(JSON.stringify(sheetJson(sheet, frame, false)));
            else
                parts.add('[' + sheet[CSS_ID] + ']');
            ids.push(sheet[CSS_ID]);
        }
        parts.add(']');
        frame.sheetIds = ids.join(',');
    }

    // The list goes as the message's payload, after the parts posted ahead of it.
    function postSheets(frame) {
        const parts = new TextParts();
        writeSheets(frame, parts);
        post({kind: 'styleSheets', frame: frame.id, token: TOKEN, parts: parts.id}, parts.rest());
    }

    function sheetsChanged(frame) {
        const sheets = frame.doc.styleSheets;
        const ids = [];
        for (let i = 0; i < sheets.length; ++i) {
            const id = sheets[i][CSS_ID];
            if (id === undefined || rulesChanged(sheets[i]))
                return true;
            ids.push(id);
        }
        return ids.join(',') !== frame.sheetIds;
    }

    function postSheetsIfChanged(frame) {
        if (frame && frames.has(frame.id) && sheetsChanged(frame))
            postSheets(frame);
    }

    // Frames -------------------------------------------------------------------

    function snapshotFrame(doc) {
        if (frameOfDoc.has(doc))
            return;
        const started = performance.timeOrigin + performance.now();
        const frame = {id: 1, doc: doc, nodes: new Map(), sheetIds: ''};
        frames.set(frame.id, frame);
        frameOfDoc.set(doc, frame);
        const nodes = serializeTree(doc, frame);
        const snapshot = '{"version":2,"document":' + idOf(doc) + ',"mode":' + JSON.stringify(doc.compatMode)
            + ',"tree":' + nodes + '}';
        observer.observe(doc, OBSERVED);
        for (const type of ['load', 'error']) {
            doc.addEventListener(type, function (event) { onLoadEvent(frame, event); }, true);
        }
        // Mutation callbacks do not run while the page's scripts are off; user
        // actions that change the document are caught here instead.
        for (const type of ['click', 'input', 'change', 'toggle', 'transitionend', 'animationend']) {
            doc.addEventListener(type, scheduleFlush, true);
        }
        post({
            kind: 'document',
            frame: frame.id,
            url: doc.URL,
            title: doc.title,
            token: TOKEN,
            started: started
        }, snapshot);
        // The program builds the document's mirror while the sheets are read
        // here; it waits for them, so they always come.
        try {
            postSheets(frame);
        } catch (e) {
            log('error', 'the style sheets could not be read: ' + e);
            post({kind: 'styleSheets', frame: frame.id, token: TOKEN, parts: 0}, '[]');
        }
    }

    function onLoadEvent(frame, event) {
        const target = event.target;
        if (target && target.nodeType === 1) {
            const name = target.localName;
            if (name === 'link' || name === 'style')
                postSheetsIfChanged(frame);
        } else {
            postSheetsIfChanged(frame);
        }
        scheduleFlush();
    }

    // The page's changes -----------------------------------------------------

    let flushScheduled = false;
    function scheduleFlush() {
        if (flushScheduled)
            return;
        flushScheduled = true;
        Promise.resolve().then(function () {
            flushScheduled = false;
            flushAll();
        });
    }

    // A page that never stops changing is posted at most once a frame: its
    // records wait here meanwhile and go together, merged.
    const FRAME_MS = 16;
    let waitingRecords = [];
    let lastPost = -Infinity;
    let postTimer = 0;

    function queueRecords(records) {
        for (const record of records)
            waitingRecords.push(record);
        if (postTimer)
            return;
        const wait = lastPost + FRAME_MS - performance.now();
        if (wait <= 0)
            flushAll();
        else
            postTimer = setTimeout(function () { postTimer = 0; flushAll(); }, wait);
    }

    function flushAll() {
        if (postTimer) {
            clearTimeout(postTimer);
            postTimer = 0;
        }
        const records = waitingRecords;
        waitingRecords = [];
        for (const record of observer.takeRecords())
            records.push(record);
        if (records.length)
            lastPost = performance.now();
        flush(records);
    }

    function touchesSheets(node) {
        if (!node || node.nodeType !== 1)
            return false;
        const name = node.localName;
        return name === 'style' || name === 'link' || (node.firstElementChild && node.querySelector('style, link'));
    }

    // Records past this many go in a message of their own.
    const RECORDS_A_MESSAGE = 250;

    function flush(records) {
        if (!records.length)
            return;
        const perFrame = new Map();
        const fresh = new Set();
        function entryOf(frame) {
            let entry = perFrame.get(frame);
            if (!entry) {
                entry = {records: [], nodes: [], finals: {}, attrs: [], parents: new Set(), sheets: false,
                         seen: new Set()};
                perFrame.set(frame, entry);
            }
            return entry;
        }
        function postEntry(frame, entry) {
            if (entry.records.length) {
                post({
                    kind: 'mutations', frame: frame.id, token: TOKEN, records: entry.records,
                    nodes: entry.nodes, finals: entry.finals, attrs: entry.attrs
                });
            }
            entry.records = [];
            entry.nodes = [];
            entry.finals = {};
            entry.attrs = [];
        }
        for (const record of records) {
            const target = record.target;
            const targetId = idOf(target);
            // Unknown targets lie in subtrees that are sent whole when they are
            // added; fresh ones were sent in their present state already.
            if (targetId === undefined || fresh.has(target))
                continue;
            const frame = frameOfDoc.get(target.nodeType === 9 ? target : target.ownerDocument);
            if (!frame || !frames.has(frame.id))
                continue;
            const entry = entryOf(frame);
            if (record.type === 'childList') {
                const removed = [];
                for (const node of record.removedNodes) {
                    const id = idOf(node);
                    if (id !== undefined)
                        removed.push(id);
                    if (touchesSheets(node))
                        entry.sheets = true;
                }
                const added = [];
                for (const node of record.addedNodes) {
                    let id = idOf(node);
                    if (id === undefined) {
                        serialize(node, frame, entry.nodes, entry.finals, fresh);
                        id = idOf(node);
                    }
                    added.push(id);
                    if (touchesSheets(node))
                        entry.sheets = true;
                }
                entry.records.push({
                    t: 'c', p: targetId, a: added, r: removed,
                    ps: record.previousSibling ? (idOf(record.previousSibling) || 0) : null,
                    ns: record.nextSibling ? (idOf(record.nextSibling) || 0) : null
                });
                entry.parents.add(target);
                if (target.localName === 'style')
                    entry.sheets = true;
            } else if (record.type === 'attributes') {
                // Values are read as they are now: one record of an attribute says it all.
                const ns = record.attributeNamespace;
                const key = targetId + ' ' + ns + ' ' + record.attributeName;
                if (entry.seen.has(key))
                    continue;
                entry.seen.add(key);
                const attribute = target.getAttributeNodeNS(ns, record.attributeName);
                entry.records.push({
                    t: 'a', n: targetId, name: attribute ? attribute.name : record.attributeName,
                    local: record.attributeName, ns: ns, v: attribute ? attribute.value : null
                });
                entry.attrs.push(targetId);
                if (target.localName === 'link' || target.localName === 'style')
                    entry.sheets = true;
            } else {
                if (entry.seen.has(targetId))
                    continue;
                entry.seen.add(targetId);
                entry.records.push({t: 'd', n: targetId, v: target.data});
                if (target.parentNode && target.parentNode.localName === 'style')
                    entry.sheets = true;
            }
            if (entry.records.length + entry.nodes.length >= RECORDS_A_MESSAGE)
                postEntry(frame, entry);
        }
        for (const [frame, entry] of perFrame) {
            for (const parent of entry.parents) {
                const all = [];
                for (let child = parent.firstChild; child; child = child.nextSibling) {
                    const id = idOf(child);
                    if (id === undefined)
                        break;
                    all.push(id);
                }
                if (all.length === parent.childNodes.length)
                    entry.finals[idOf(parent)] = all;
            }
            if (!entry.records.length && Object.keys(entry.finals).length)
                entry.records.push({t: 'c', p: idOf(frame.doc), a: [], r: [], ps: null, ns: null});
            postEntry(frame, entry);
            if (entry.sheets)
                postSheetsIfChanged(frame);
        }
    }

    // The whole state of a frame's document, with the ids it has: what the
    // mirror needs to follow the page again after an edit both sides made
    // differently (the page refused the program's edit).
    function stateRecords(frame) {
        const records = [];
        const stack = [frame.doc];
        if (idOf(frame.doc) === undefined)
            assignNode(frame.doc, frame);
        while (stack.length) {
            const node = stack.pop();
            const record = {id: idOf(node), type: node.nodeType};
            if (node.nodeType === 1) {
                record.name = node.localName;
                if (node.prefix)
                    record.prefix = node.prefix;
                if (node.namespaceURI !== HTML_NS)
                    record.ns = node.namespaceURI || '';
                record.attrs = attributesOf(node);
            } else if (node.nodeType === 3 || node.nodeType === 8) {
                record.text = node.data;
            } else if (node.nodeType === 10) {
                record.name = node.name;
                record.publicId = node.publicId;
                record.systemId = node.systemId;
            }
            const children = [];
            for (let child = node.firstChild; child; child = child.nextSibling) {
                let id = idOf(child);
                if (id === undefined)
                    id = assignNode(child, frame);
                children.push(id);
                stack.push(child);
            }
            record.children = children;
            records.push(record);
        }
        return records;
    }

    function sendState() {
        flushAll();
        const frame = frames.get(1);
        if (!frame)
            return;
        post({kind: 'resync', frame: frame.id, token: TOKEN},
             JSON.stringify({version: 1, document: idOf(frame.doc), mode: frame.doc.compatMode,
                             nodes: stateRecords(frame)}));
    }

    // The program's edits ----------------------------------------------------

    function nodeOf(frame, id) {
        const node = nodeWithId(frame, id);
        if (!node)
            throw new Error('no node ' + id);
        return node;
    }

    function cssOf(id) {
        const object = cssById.get(id);
        if (!object)
            throw new Error('no style sheet or rule ' + id);
        return object;
    }

    function indexIn(list, item) {
        for (let i = 0; i < list.length; ++i) {
            if (list[i] === item)
                return i;
        }
        return -1;
    }

    function adopt(rule, id) {
        rule[CSS_ID] = id;
        cssById.set(id, rule);
    }

    // The rules inside a rule, in tree order.
    function descendants(rule) {
        const found = [];
        const pending = rule.cssRules ? Array.from(rule.cssRules).reverse() : [];
        while (pending.length) {
            const next = pending.pop();
            found.push(next);
            if (next.cssRules)
                pending.push(...Array.from(next.cssRules).reverse());
        }
        return found;
    }

    // The program names the rules inside the one it inserts, so that it can
    // write to them at once (and an undone deletion keeps its ids); when the
    // page reads them otherwise, they get ids of its own.
    function adoptDescendants(rule, ids) {
        const found = descendants(rule);
        if (!ids || ids.length !== found.length)
            return;
        found.forEach(function (child, i) { adopt(child, ids[i]); });
    }

    // A sheet's new text as a load reads it: in a document of its own (in
    // the page's mode, which decides what the parser takes), which loads
    // nothing. The element is kept for the next text.
    let scratchStyle = null;
    function readSheetText(doc, text) {
        const quirks = doc.compatMode !== 'CSS1Compat';
        if (!scratchStyle || scratchStyle.quirks !== quirks) {
            const scratch = new DOMParser().parseFromString((quirks ? '' : '<!DOCTYPE html>') + '<head></head>',
                                                            'text/html');
            scratchStyle = {quirks: quirks, element: scratch.createElement('style')};
            scratch.head.appendChild(scratchStyle.element);
        }
        scratchStyle.element.textContent = text;
        return scratchStyle.element.sheet;
    }

    // A style takes the declarations of another. Its text alone can differ:
    // the engine writes some shorthands so that they read back otherwise
    // ("transition: 1s; transition-property: a, b" gives three durations
    // read back), so each longhand is set where it still differs.
    function followStyle(live, next) {
        if (live.cssText !== next.cssText)
            live.cssText = next.cssText;
        const names = new Set(Array.from(next));
        for (const name of live)
            names.add(name);
        for (const name of names) {
            const value = next.getPropertyValue(name);
            const priority = next.getPropertyPriority(name);
            if (live.getPropertyValue(name) === value && live.getPropertyPriority(name) === priority)
                continue;
            if (value)
                live.setProperty(name, value, priority);
            else
                live.removeProperty(name);
        }
    }

    // A rule inserted from the text of another takes its declarations, and
    // those of the rules inside it.
    function followInserted(live, next) {
        if (live.style && next.style)
            followStyle(live.style, next.style);
        if (live.cssRules && next.cssRules && live.cssRules.length === next.cssRules.length) {
            for (let i = 0; i < live.cssRules.length; ++i)
                followInserted(live.cssRules[i], next.cssRules[i]);
        }
    }

    // A rule takes the text of the rule at its place in the new text, where
    // it can stay the same object: same type, and for blocks the same
    // condition or name. Answers false where it cannot.
    function followRule(live, next, changes) {
        if (live.type !== next.type)
            return false;
        if (live.cssText === next.cssText)
            return true;
        switch (live.type) {
        case 1:
        case 6:
            if (live.selectorText !== next.selectorText) {
                live.selectorText = next.selectorText;
                if (live.selectorText !== next.selectorText)
                    return false;
            }
            break;
        case 4:
            if (live.media.mediaText !== next.media.mediaText)
                live.media.mediaText = next.media.mediaText;
            break;
        case 5:
            break;
        case 7:
            if (live.name !== next.name || live.cssText.lastIndexOf('@-webkit-', 0) !== next.cssText.lastIndexOf('@-webkit-', 0)
                || live.cssRules.length !== next.cssRules.length)
                return false;
            for (let i = 0; i < live.cssRules.length; ++i) {
                if (!followRule(live.cssRules[i], next.cssRules[i], changes))
                    return false;
            }
            changes.touched.add(live);
            return true;
        case 8:
            if (live.keyText !== next.keyText) {
                try {
                    live.keyText = next.keyText;
                } catch (e) {
                    return false;
                }
            }
            break;
        case 12:
            if (live.conditionText !== next.conditionText)
                return false;
            break;
        default:
            return false;
        }
        if (live.style && next.style)
            followStyle(live.style, next.style);
        if (live.cssRules && next.cssRules && live.insertRule)
            followRules(live, next.cssRules, changes);
        changes.touched.add(live);
        return live.cssText === next.cssText;
    }

    // Rules a new text inserted or removed are found this far ahead.
    const FOLLOW_WINDOW = 8;

    // The rules of a sheet or block take the new list: between the rules
    // both lists share at their ends, a rule found again a little further on
    // stays, those before it came or went, and a rule at the place of
    // another changes in place where it can.
    function followRules(parent, next, changes) {
        const live = parent.cssRules;
        const n = live.length;
        const m = next.length;
        let p = 0;
        while (p < n && p < m && live[p].cssText === next[p].cssText)
            ++p;
        let s = 0;
        while (s < n - p && s < m - p && live[n - 1 - s].cssText === next[m - 1 - s].cssText)
            ++s;
        const was = [];
        for (let k = p; k < n - s; ++k)
            was.push(live[k].cssText);
        const now = [];
        for (let k = p; k < m - s; ++k)
            now.push(next[k].cssText);
        const attempt = function (action) {
            changes.lists.add(parent);
            try {
                action();
                return true;
            } catch (e) {
                changes.errors.push((e && e.name ? e.name + ': ' : '') + (e && e.message ? e.message : String(e)));
                return false;
            }
        };
        const insert = function (k) {
            if (attempt(function () {
                parent.insertRule(now[k], at);
                followInserted(live[at], next[p + k]);
            }))
                ++at;
        };
        const remove = function () {
            if (!attempt(function () { parent.deleteRule(at); }))
                ++at;
        };
        const ahead = function (list, from, text) {
            for (let k = 1; k <= FOLLOW_WINDOW && from + k < list.length; ++k) {
                if (list[from + k] === text)
                    return k;
            }
            return 0;
        };
        let at = p;
        let i = 0;
        let j = 0;
        while (i < was.length && j < now.length) {
            if (was[i] === now[j]) {
                ++i;
                ++j;
                ++at;
                continue;
            }
            const inserted = ahead(now, j, was[i]);
            if (inserted) {
                for (let k = 0; k < inserted; ++k)
                    insert(j + k);
                j += inserted;
                continue;
            }
            const removed = ahead(was, i, now[j]);
            if (removed) {
                for (let k = 0; k < removed; ++k)
                    remove();
                i += removed;
                continue;
            }
            if (followRule(live[at], next[p + j], changes)) {
                ++at;
            } else {
                remove();
                insert(j);
            }
            ++i;
            ++j;
        }
        for (; j < now.length; ++j)
            insert(j);
        for (; i < was.length; ++i)
            remove();
    }

    // The page's copy of a style sheet takes the new text of its file; rules
    // that stay keep their objects, and so their ids.
    function followSheetText(sheet, text, doc, touched, followed) {
        const read = readSheetText(doc, text);
        if (!read)
            throw new Error('the text could not be read as a style sheet');
        const changes = {touched: new Set(), lists: new Set(), errors: []};
        followRules(sheet, read.cssRules, changes);
        scratchStyle.element.textContent = '';
        for (const rule of changes.touched)
            touched.set(cssId(rule), rule);
        for (const parent of changes.lists) {
            if (parent === sheet && !sheet.ownerRule)
                followed.add(sheet);
            else if (parent === sheet)
                touched.set(cssId(sheet.ownerRule), sheet.ownerRule);
            else
                touched.set(cssId(parent), parent);
        }
        if (changes.errors.length)
            log('info', 'the page did not take ' + changes.errors.length + ' rule(s) of the new text of '
                + sheetName(sheet) + ': ' + changes.errors[0]);
    }

    // A script the program puts into the page (pasted, put back by Undo,
    // typed) does not run there: run after the load it would not do what
    // the load does (a document.write would replace the whole page). The
    // fragment parser makes it as one that has already run.
    function inertScript(doc, ns) {
        const holder = doc.createElement('template');
        holder.innerHTML = ns === 'http://www.w3.org/2000/svg' ? '<svg><script></script></svg>' : '<script></script>';
        const made = ns === 'http://www.w3.org/2000/svg' ? holder.content.firstChild.firstChild : holder.content.firstChild;
        return doc.adoptNode(made);
    }

    function applyCommand(c, frame, touched, sheetsTouched, followed) {
        const doc = frame.doc;
        switch (c.op) {
        case 'createElement': {
            const element = c.name === 'script' ? inertScript(doc, c.ns)
                : c.ns ? doc.createElementNS(c.ns, c.name) : doc.createElement(c.name);
            adoptNode(element, c.node, frame);
            if (c.content && element.content)
                adoptNode(element.content, c.content, frame);
            break;
        }
        case 'createTextNode':
        case 'createComment':
        case 'createDocumentFragment': {
            const node = c.op === 'createTextNode' ? doc.createTextNode(c.value)
                : c.op === 'createComment' ? doc.createComment(c.value) : doc.createDocumentFragment();
            adoptNode(node, c.node, frame);
            break;
        }
        case 'insertBefore':
            nodeOf(frame, c.parent).insertBefore(nodeOf(frame, c.node), c.ref ? nodeOf(frame, c.ref) : null);
            break;
        case 'removeChild':
            nodeOf(frame, c.parent).removeChild(nodeOf(frame, c.node));
            break;
        case 'setAttribute':
            nodeOf(frame, c.node).setAttributeNS(c.ns || null, c.name, c.value);
            break;
        case 'removeAttribute':
            nodeOf(frame, c.node).removeAttributeNS(c.ns || null, c.name);
            break;
        case 'setData':
            nodeOf(frame, c.node).data = c.value;
            break;
        case 'insertRule': {
            const parent = c.parent ? cssOf(c.parent) : cssOf(c.sheet);
            let index = parent.cssRules.length;
            if (c.before) {
                const at = indexIn(parent.cssRules, cssById.get(c.before));
                if (at >= 0)
                    index = at;
            }
            const inserted = parent.insertRule(c.text, index);
            if (!c.parent)
                sheetsTouched.add(parent);
            // A rule put back as the engine wrote it (Undo of its removal)
            // keeps its declarations, not what that text reads back as.
            const removed = cssById.get(c.rule);
            if (removed && !removed.parentStyleSheet && removed.cssText === parent.cssRules[inserted].cssText)
                followInserted(parent.cssRules[inserted], removed);
            adopt(parent.cssRules[inserted], c.rule);
            adoptDescendants(parent.cssRules[inserted], c.ids);
            touched.set(c.rule, parent.cssRules[inserted]);
            break;
        }
        case 'appendRule': {
            const parent = cssOf(c.parent);
            const before = parent.cssRules.length;
            parent.appendRule(c.text);
            if (parent.cssRules.length === before)
                throw new SyntaxError('the keyframe "' + c.text + '" was not taken');
            const added = parent.cssRules[parent.cssRules.length - 1];
            adopt(added, c.rule);
            touched.set(c.rule, added);
            break;
        }
        case 'deleteRule': {
            const rule = cssOf(c.rule);
            const parent = rule.parentRule || rule.parentStyleSheet;
            const topLevel = !rule.parentRule;
            const index = indexIn(parent.cssRules, rule);
            if (index < 0)
                throw new Error('rule ' + c.rule + ' is not in its parent');
            if (parent.type === 7)
                parent.deleteRule(rule.keyText);
            else
                parent.deleteRule(index);
            if (topLevel)
                sheetsTouched.add(parent);
            touched.delete(c.rule);
            break;
        }
        case 'setProperty':
            cssOf(c.rule).style.setProperty(c.name, engineValue(c.name, c.value), c.priority || '');
            touched.set(c.rule, cssOf(c.rule));
            break;
        case 'removeProperty':
            cssOf(c.rule).style.removeProperty(c.name);
            touched.set(c.rule, cssOf(c.rule));
            break;
        case 'setStyleText':
            cssOf(c.rule).style.cssText = c.text;
            touched.set(c.rule, cssOf(c.rule));
            break;
        case 'setSelectorText':
            cssOf(c.rule).selectorText = c.text;
            touched.set(c.rule, cssOf(c.rule));
            break;
        case 'setKeyText':
            cssOf(c.rule).keyText = c.text;
            touched.set(c.rule, cssOf(c.rule));
            break;
        case 'setMediaText':
            if (c.rule) {
                cssOf(c.rule).media.mediaText = c.text;
                touched.set(c.rule, cssOf(c.rule));
            } else {
                cssOf(c.sheet).media.mediaText = c.text;
            }
            break;
        case 'setDisabled':
            cssOf(c.sheet).disabled = !!c.value;
            break;
        case 'followText':
            followSheetText(cssOf(c.sheet), c.text, doc, touched, followed);
            break;
        default:
            throw new Error('unknown command ' + c.op);
        }
    }

    function applyBatch(batch) {
        // The page's own changes go first, so that they are not taken for echoes.
        flushAll();
        const errors = [];
        const touched = new Map();
        const framesTouched = new Set();
        const sheetsTouched = new Set();
        const followed = new Set();
        const diverged = new Set();
        for (const command of batch.commands) {
            const frame = frames.get(1);
            if (!frame || command.token !== TOKEN) {
                errors.push({seq: command.seq, op: command.op, frame: command.frame, rule: command.rule || 0,
                             error: 'stale document'});
                continue;
            }
            framesTouched.add(frame);
            try {
                applyCommand(command, frame, touched, sheetsTouched, followed);
            } catch (e) {
                errors.push({seq: command.seq, op: command.op, frame: command.frame, rule: command.rule || 0,
                             error: (e && e.name ? e.name + ': ' : '') + (e && e.message ? e.message : String(e))});
                if (DOM_OPS.has(command.op))
                    diverged.add(frame);
            }
        }
        // What the program's edits caused is already in the mirror.
        observer.takeRecords();
        for (const sheet of sheetsTouched) {
            try {
                ruleCounts.set(sheet, sheet.cssRules.length);
            } catch (e) {
                // not readable: never counted
            }
        }
        // Sheets whose rules came or went with a new text go whole with the list.
        for (const sheet of followed) {
            if (ruleCounts.has(sheet))
                ruleCounts.set(sheet, -1);
        }
        const rules = [];
        for (const rule of touched.values())
            rules.push(ruleJson(rule));
        post({kind: 'ack', seq: batch.seq, errors: errors, rules: rules, diverged: [...diverged].map(function (f) { return f.id; })});
        for (const frame of framesTouched)
            postSheetsIfChanged(frame);
    }

    // Questions ----------------------------------------------------------------

    function splitSelectors(text) {
        const parts = [];
        let depth = 0;
        let quote = 0;
        let start = 0;
        for (let i = 0; i < text.length; ++i) {
            const c = text.charCodeAt(i);
            if (quote) {
                if (c === 92)
                    ++i;
                else if (c === quote)
                    quote = 0;
            } else if (c === 34 || c === 39) {
                quote = c;
            } else if (c === 92) {
                ++i;
            } else if (c === 40 || c === 91) {
                ++depth;
            } else if (c === 41 || c === 93) {
                --depth;
            } else if (c === 44 && depth === 0) {
                parts.push(text.slice(start, i).trim());
                start = i + 1;
            }
        }
        parts.push(text.slice(start).trim());
        return parts;
    }

    function pseudoName(text) {
        return (text || '').replace(/^:+/, '').toLowerCase();
    }

    function safeMatches(element, selector) {
        try {
            return element.matches(selector);
        } catch (e) {
            return false;
        }
    }

    // The selector of a rule nested in a style rule, written out whole: "&"
    // stands for the parent's selector, and a selector without it is a
    // descendant of the parent.
    function nestedSelector(text, parent) {
        const scope = ':is(' + parent + ')';
        return splitSelectors(text).map(function (part) {
            return part.indexOf('&') >= 0 ? part.split('&').join(scope) : scope + ' ' + part;
        }).join(', ');
    }

    // Where the bracketed or parenthesised block that opens at i ends (the
    // index after its close), quotes and nested blocks inside; -1 when it
    // does not close.
    function skipBlock(text, i) {
        let depth = 0;
        for (; i < text.length; ++i) {
            const c = text[i];
            if (c === '"' || c === "'") {
                const end = text.indexOf(c, i + 1);
                if (end < 0)
                    return -1;
                i = end;
            } else if (c === '[' || c === '(') {
                ++depth;
            } else if ((c === ']' || c === ')') && --depth === 0) {
                return i + 1;
            }
        }
        return -1;
    }

    // What the rightmost compound selector of a part asks of an element
    // (type, id, classes), read without parsing the rest: the cheap test that
    // spares most calls of matches(), whose own cache is far smaller than a
    // large style sheet. Attributes and pseudo-classes only narrow it down
    // further. null: no such test, matches() decides.
    function partKey(part) {
        if (/[\\|&]/.test(part))
            return null;
        // The last compound starts after the last combinator outside brackets,
        // parentheses and quotes.
        let start = 0;
        for (let i = 0; i < part.length; ++i) {
            const c = part[i];
            if (c === '[' || c === '(' || c === '"' || c === "'") {
                const end = c === '"' || c === "'" ? part.indexOf(c, i + 1) + 1 : skipBlock(part, i);
                if (end <= 0)
                    return null;
                i = end - 1;
            } else if (c === ' ' || c === '>' || c === '+' || c === '~' || c === '\n' || c === '\t' || c === '\r'
                       || c === '\f') {
                start = i + 1;
            }
        }
        const compound = part.slice(start);
        const key = {tag: null, id: null, classes: []};
        const name = /[-\w]+/y;
        let i = 0;
        const readName = function () {
            name.lastIndex = i;
            const found = name.exec(compound);
            if (!found)
                return null;
            i = name.lastIndex;
            return found[0];
        };
        if (compound[0] === '*')
            i = 1;
        else
            key.tag = readName();
        while (i < compound.length) {
            const c = compound[i];
            if (c === '.' || c === '#') {
                ++i;
                const value = readName();
                if (!value)
                    return null;
                if (c === '.')
                    key.classes.push(value);
                else
                    key.id = value;
            } else if (c === '[') {
                i = skipBlock(compound, i);
                if (i < 0)
                    return null;
            } else if (c === ':') {
                i += compound[i + 1] === ':' ? 2 : 1;
                if (!readName())
                    return null;
                if (compound[i] === '(') {
                    i = skipBlock(compound, i);
                    if (i < 0)
                        return null;
                }
            } else {
                return null;
            }
        }
        if (key.tag)
            key.tag = key.tag.toLowerCase();
        return key.tag || key.id || key.classes.length ? key : null;
    }

    // The one name a key needs the element to have, as factsOf() lists
    // names: its id, else its first class, else its type, in lower case.
    function primaryOf(key) {
        if (!key)
            return null;
        return (key.id ? '#' + key.id : key.classes.length ? '.' + key.classes[0] : key.tag).toLowerCase();
    }

    // What partKey() tests, read once for a question about an element; its
    // names in lower case too, for the first, looser test of a key.
    function factsOf(element) {
        const facts = {
            tag: element.localName.toLowerCase(),
            id: element.id,
            classes: new Set(element.classList),
            quirks: element.ownerDocument.compatMode === 'BackCompat',
            names: new Set()
        };
        facts.names.add(facts.tag);
        if (facts.id)
            facts.names.add('#' + facts.id.toLowerCase());
        for (const name of facts.classes)
            facts.names.add('.' + name.toLowerCase());
        return facts;
    }

    // Names are compared as loosely as any document compares them (quirks
    // mode ignores the case of classes and ids).
    function mayMatch(parts, facts) {
        const keys = parts.keys;
        for (let i = 0; i < keys.length; ++i) {
            const key = keys[i];
            if (!key)
                return true;
            if (!facts.names.has(parts.primaries[i]))
                continue;
            if (key.tag && key.tag !== facts.tag)
                continue;
            if (facts.quirks)
                return true;
            if (key.id && key.id !== facts.id)
                continue;
            let classes = true;
            for (const name of key.classes) {
                if (!facts.classes.has(name)) {
                    classes = false;
                    break;
                }
            }
            if (classes)
                return true;
        }
        return false;
    }

    function matchingParts(rule, selectorText, element, facts, pseudo) {
        let parts = partsCache.get(rule);
        if (!parts || parts.text !== selectorText) {
            const list = splitSelectors(selectorText);
            // Whether rules are nested in it, read once: the list is made on first use.
            const keys = list.map(partKey);
            parts = {text: selectorText, list: list, keys: keys, primaries: keys.map(primaryOf),
                     nested: rule.cssRules.length > 0};
            partsCache.set(rule, parts);
        }
        if (!pseudo && (!mayMatch(parts, facts) || !safeMatches(element, selectorText)))
            return null;
        const matched = [];
        for (const part of parts.list) {
            let selector = part;
            if (pseudo) {
                const m = /::?([-\w]+)$/.exec(part);
                if (!m || m[1].toLowerCase() !== pseudo)
                    continue;
                selector = part.slice(0, m.index) || '*';
            }
            if (safeMatches(element, selector))
                matched.push(part);
        }
        return matched.length ? matched : null;
    }

    function mediaHolds(win, mediaText) {
        if (!mediaText)
            return true;
        try {
            return win.matchMedia(mediaText).matches;
        } catch (e) {
            return false;
        }
    }

    function matchedRules(frame, element, pseudo) {
        const win = frame.doc.defaultView;
        const out = [];
        const facts = factsOf(element);
        // A style sheet repeats its media queries: each is asked once.
        const media = new Map();
        function holds(mediaText) {
            let answer = media.get(mediaText);
            if (answer === undefined) {
                answer = mediaHolds(win, mediaText);
                media.set(mediaText, answer);
            }
            return answer;
        }
        // Lists of rules still to walk, the next on top, each with the whole
        // selector of the style rule it is nested in (parent) and its depth.
        const stack = [];
        function pushRules(rules, parent, depth) {
            if (depth <= MAX_RULE_DEPTH)
                stack.push({rules: rules, index: 0, parent: parent, depth: depth});
        }
        function pushSheet(sheet, depth) {
            if (sheet.disabled || !holds(sheet.media ? sheet.media.mediaText : ''))
                return;
            let rules = null;
            try {
                rules = sheet.cssRules;
            } catch (e) {
                return;
            }
            pushRules(rules, null, depth);
        }
        function walk() {
            while (stack.length) {
                const top = stack[stack.length - 1];
                if (top.index >= top.rules.length) {
                    stack.pop();
                    continue;
                }
                const rule = top.rules[top.index++];
                const parent = top.parent;
                const inner = top.depth + 1;
                switch (rule.type) {
                case 1: {
                    const selector = parent ? nestedSelector(rule.selectorText, parent) : rule.selectorText;
                    const parts = matchingParts(rule, selector, element, facts, pseudo);
                    if (parts) {
                        const entry = {rule: cssId(rule), parts: parts};
                        if (rule[SENT] !== true)
                            entry.text = rule.cssText;
                        out.push(entry);
                    }
                    if (partsCache.get(rule).nested)
                        pushRules(rule.cssRules, selector, inner);
                    break;
                }
                case 3:
                    if (rule.styleSheet && holds(rule.media.mediaText))
                        pushSheet(rule.styleSheet, inner);
                    break;
                case 4:
                    if (holds(rule.media.mediaText))
                        pushRules(rule.cssRules, parent, inner);
                    break;
                case 12: {
                    let holds = false;
                    try {
                        holds = CSS.supports(rule.conditionText);
                    } catch (e) {
                        holds = false;
                    }
                    if (holds)
                        pushRules(rule.cssRules, parent, inner);
                    break;
                }
                default:
                    if (rule.type === 0 && rule.cssRules)
                        pushRules(rule.cssRules, parent, inner);
                    break;
                }
            }
        }
        const sheets = frame.doc.styleSheets;
        for (let i = 0; i < sheets.length; ++i) {
            pushSheet(sheets[i], 1);
            walk();
        }
        return out;
    }

    function px(value) {
        const number = parseFloat(value);
        return isNaN(number) ? 0 : number;
    }

    function boxOf(frame, element) {
        if (!element)
            return null;
        const win = frame.doc.defaultView;
        if (element.nodeType === 3) {
            // A text node has the box of its text, without borders or paddings.
            const range = frame.doc.createRange();
            range.selectNodeContents(element);
            const textRect = range.getBoundingClientRect();
            return {
                x: textRect.left + win.scrollX, y: textRect.top + win.scrollY, w: textRect.width, h: textRect.height,
                vx: textRect.left, vy: textRect.top, border: [0, 0, 0, 0], padding: [0, 0, 0, 0]
            };
        }
        if (element.nodeType !== 1)
            return null;
        const rect = element.getBoundingClientRect();
        const style = win.getComputedStyle(element);
        // The view position is in this frame's view: the program adds where
        // the frame sits in the top-level view.
        return {
            x: rect.left + win.scrollX, y: rect.top + win.scrollY, w: rect.width, h: rect.height,
            vx: rect.left, vy: rect.top,
            border: [px(style.borderTopWidth), px(style.borderRightWidth), px(style.borderBottomWidth), px(style.borderLeftWidth)],
            padding: [px(style.paddingTop), px(style.paddingRight), px(style.paddingBottom), px(style.paddingLeft)]
        };
    }

    // An element of this document; a frame element stands for what its frame shows.
    function elementAtPoint(frame, x, y) {
        const element = frame.doc.elementFromPoint(x, y);
        return element ? {node: idOf(element) || 0} : null;
    }

    // The properties the engine sets for each name it knows that sets more
    // than one, or another under its own name (a shorthand, an alias):
    // name -> longhands. Names that stand for themselves are left out.
    function longhandTable(doc) {
        const scratch = doc.createElement('div').style;
        const table = {};
        for (const key in scratch) {
            if (!isNaN(key) || typeof scratch[key] !== 'string')
                continue;
            const name = key === 'cssFloat' ? 'float' : key.indexOf('-') >= 0 ? key
                : key.replace(/[A-Z]/g, function (c) { return '-' + c.toLowerCase(); }).replace(/^webkit-/, '-webkit-');
            if (table[name])
                continue;
            scratch.cssText = '';
            scratch.setProperty(name, 'inherit');
            const longhands = Array.from(scratch);
            if (longhands.length && (longhands.length > 1 || longhands[0] !== name))
                table[name] = longhands;
        }
        return table;
    }

    function answer(question) {
        flushAll();
        for (const frame of frames.values())
            postSheetsIfChanged(frame);
        const reply = {kind: 'answer', id: question.id};
        const frame = frames.get(1);
        if (!frame || question.token !== TOKEN) {
            reply.error = 'stale document';
            return reply;
        }
        const win = frame.doc.defaultView;
        const elementOf = function (id) {
            const node = nodeWithId(frame, id);
            return node && node.nodeType === 1 ? node : null;
        };
        if (question.computed) {
            reply.computed = question.computed.map(function (entry) {
                const element = elementOf(entry.node);
                if (!element)
                    return null;
                const style = win.getComputedStyle(element, entry.pseudo ? '::' + pseudoName(entry.pseudo) : null);
                const pairs = [];
                for (let i = 0; i < style.length; ++i)
                    pairs.push([style[i], style.getPropertyValue(style[i])]);
                return pairs;
            });
        }
        if (question.boxes)
            reply.boxes = question.boxes.map(function (id) { return boxOf(frame, nodeWithId(frame, id)); });
        if (question.media) {
            reply.media = question.media.map(function (query) {
                try {
                    return win.matchMedia(query).matches;
                } catch (e) {
                    return null;
                }
            });
        }
        if (question.supports) {
            reply.supports = question.supports.map(function (pair) {
                try {
                    return CSS.supports(pair[0], engineValue(pair[0], pair[1]));
                } catch (e) {
                    return false;
                }
            });
        }
        if (question.conditions) {
            reply.conditions = question.conditions.map(function (condition) {
                try {
                    return CSS.supports(condition);
                } catch (e) {
                    return null;
                }
            });
        }
        if (question.names) {
            // The name the engine lists a property under: the standard name
            // of an alias ("-webkit-transition" is "transition"), '' for a
            // name it does not know.
            const scratch = frame.doc.createElement('div').style;
            reply.names = question.names.map(function (name) {
                scratch.cssText = '';
                scratch.setProperty(name, 'inherit');
                const text = scratch.cssText;
                const colon = text.indexOf(':');
                return colon > 0 ? text.slice(0, colon).trim() : '';
            });
        }
        if (question.longhands)
            reply.longhands = longhandTable(frame.doc);
        if (question.matched) {
            reply.matched = question.matched.map(function (entry) {
                const element = elementOf(entry.node);
                return element ? matchedRules(frame, element, pseudoName(entry.pseudo)) : null;
            });
        }
        if (question.matches) {
            reply.matches = question.matches.map(function (pair) {
                const element = elementOf(pair[0]);
                if (!element)
                    return null;
                try {
                    return element.matches(pair[1]);
                } catch (e) {
                    return null;
                }
            });
        }
        if (question.point)
            reply.point = elementAtPoint(frame, question.point[0], question.point[1]);
        if (question.viewport)
            reply.viewport = [win.innerWidth, win.innerHeight, win.scrollX, win.scrollY];
        return reply;
    }

    // The program's message (an object); answers a question's reply as JSON text.
    function receive(message) {
        try {
            if (message.kind === 'batch')
                applyBatch(message);
            else if (message.kind === 'ask')
                return JSON.stringify(answer(message));
            else if (message.kind === 'flush')
                flushAll();
            else if (message.kind === 'resync')
                sendState();
            else if (message.kind === 'release')
                release(message.nodes);
        } catch (e) {
            log('error', 'the bridge failed on a ' + message.kind + ': ' + e);
            if (message.kind === 'ask')
                return JSON.stringify({kind: 'answer', id: message.id, error: String(e)});
        }
        return null;
    }

    // The program holds these nodes no more (neither its mirror nor an undo
    // step can reach them): their ids are forgotten, and a node the page puts
    // back later is sent as a new one.
    function release(ids) {
        const frame = frames.get(1);
        for (const id of ids) {
            const node = id > 0 ? byId.get(id) : frame && frame.nodes.get(id);
            if (!node)
                continue;
            if (node.isConnected && node.getRootNode() === document)
                continue;
            delete node[ID];
            if (id > 0)
                byId.delete(id);
            else
                frame.nodes.delete(id);
        }
    }

    // Start --------------------------------------------------------------------

    if (!binding)
        return;
    // The pointer shape the page asks for at a point of the view.
    function cursorAt(x, y) {
        const element = document.elementFromPoint(x, y);
        if (!element)
            return 'default';
        const cursor = getComputedStyle(element).cursor;
        if (cursor !== 'auto')
            return cursor;
        const name = element.localName;
        if (element.isContentEditable || name === 'textarea'
            || (name === 'input' && /^(text|search|email|url|tel|password|number)$/.test(element.type)))
            return 'text';
        const range = document.caretRangeFromPoint ? document.caretRangeFromPoint(x, y) : null;
        if (range && range.startContainer.nodeType === 3) {
            const text = document.createRange();
            text.selectNodeContents(range.startContainer);
            for (const rect of text.getClientRects()) {
                if (x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom)
                    return 'text';
            }
        }
        return 'default';
    }

    // How many nodes have ids: the page's and the program's.
    function namedNodes() {
        const frame = frames.get(1);
        return byId.size + (frame ? frame.nodes.size : 0);
    }

    window.quillmark = {receive: receive, idOf: function (node) { return node[ID]; }, cursorAt: cursorAt,
                        namedNodes: namedNodes, token: TOKEN,
                        nodeOf: function (id) { const frame = frames.get(1); return (frame && nodeWithId(frame, id)) || null; }};

    function start() {
        snapshotFrame(document);
    }
    if (document.readyState === 'loading')
        document.addEventListener('DOMContentLoaded', start, {once: true});
    else
        start();
    window.addEventListener('load', function () {
        const frame = frameOfDoc.get(document);
        if (!frame)
            return;
        postSheetsIfChanged(frame);
        scheduleFlush();
    });
})();
