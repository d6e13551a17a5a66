document.documentElement.classList.add('async-ready');
